#include <functional>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/xrc/xmlres.h>

#include "support/ScriptedPrompter.h"
#include "GtkActions.h"
#include "GuiTest.h"
#include "app/dialogs/RendererDialog.h"
#include "support/GlRecorder.h"
#include "render/Renderer.h"
#include "render/RendererFactory.h"
#include "support/VolumeScenes.h"

namespace {
const char* const kRadios[] = {"IDC_RENDERER_MESH",     "IDC_RENDERER_2D",        "IDC_RENDERER_3D",
                               "IDC_RENDERER_RGB",      "IDC_CLASSIFY_NONE",      "IDC_CLASSIFY_PIXELMAPS",
                               "IDC_CLASSIFY_PALETTED", "IDC_CLASSIFY_TEXSHADER", "IDC_CLASSIFY_FRAGPROG"};

template <class T> T* Control(wxWindow* dlg, const char* name) { return dynamic_cast<T*>(dlg->FindWindow(XRCID(name))); }

// What the dialog shows: the radio buttons enabled and checked, the rescale
// check.
struct Shown {
    std::vector<std::string> enabled, checked;
    bool rescale = false;
};

Shown Inspect(wxDialog* dlg)
{
    Shown s;
    for (const char* name : kRadios) {
        wxRadioButton* r = Control<wxRadioButton>(dlg, name);
        EXPECT_NE(r, nullptr) << name;
        if (!r)
            continue;
        if (r->IsEnabled())
            s.enabled.push_back(name);
        if (r->GetValue())
            s.checked.push_back(name);
    }
    s.rescale = Control<wxCheckBox>(dlg, "IDC_RESCALE")->GetValue();
    return s;
}

// The factory asked to build a renderer for `volume` on a driver with
// `extensions`, with the question on.
std::string CreateAsking(CVolume& volume, const char* extensions)
{
    CRecordingSurface surface;
    surface.m_strExtensions = extensions;
    std::unique_ptr<CRenderer> r = CreateRenderer(&volume, &surface, 64, 64);
    GlMakeCurrent(nullptr, nullptr);
    return r ? r->m_pszDescription : "none";
}

void Click(wxWindow* w)
{
    GtkClick(w->GetHandle());
    wxTheApp->ProcessPendingEvents();
}

// Shows the factory's dialog for real and, once it is on the screen, runs
// `act` inside its modal loop.
struct LiveDialog {
    std::function<void(wxDialog*)> act;
    bool ranAct = false;
    DialogAnswerer answerer{[this](wxDialog* dlg) {
        dlg->CallAfter([this, dlg] {
            ASSERT_TRUE(WaitUntil([dlg] { return dlg->IsShownOnScreen(); }));
            act(dlg);
            ranAct = true;
        });
        return int(wxID_NONE);
    }};
};

const char kFragProg[] = "Volume rendering using OpenGL 2D Textures and ARB fragment program";
const char kPixelMap[] = "Volume rendering using OpenGL 2D textures and colour pixel maps";
const char kAll[] = "GL_ARB_multitexture GL_EXT_blend_minmax GL_ARB_fragment_program GL_EXT_texture3D "
                    "GL_NV_texture_shader GL_EXT_paletted_texture GL_EXT_shared_texture_palette";

class RendererDialogTest : public ::testing::Test {
protected:
    void SetUp() override { settings->m_bAskRenderer = true; }
    SettingsGuard settings;
    CScriptedPrompter prompter;
    CPrompterScope scope{&prompter};
};
} // namespace

// The factory runs the dialog through the program's dialog runner; it shows
// the radios the driver allows and checks the defaults.
TEST_F(RendererDialogTest, ShowsWhatTheDriverOffers)
{
    struct Case {
        const char* extensions;
        int bits;
        bool rgb, use3D;
        std::vector<std::string> enabled, checked;
        const char* why;
    };
    const std::vector<std::string> always = {"IDC_RENDERER_2D", "IDC_RENDERER_RGB", "IDC_CLASSIFY_NONE",
                                             "IDC_CLASSIFY_PIXELMAPS"};
    auto with = [&](std::vector<std::string> more) {
        std::vector<std::string> all;
        for (const char* name : kRadios)
            if (std::find(always.begin(), always.end(), name) != always.end() ||
                std::find(more.begin(), more.end(), name) != more.end())
                all.push_back(name);
        return all;
    };
    const Case cases[] = {
        {kMesaExtensions, 8, false, false, with({"IDC_RENDERER_3D", "IDC_CLASSIFY_FRAGPROG"}),
         {"IDC_RENDERER_2D", "IDC_CLASSIFY_FRAGPROG"}, "Mesa: 3D present but not allowed"},
        {kAll, 8, false, true,
         with({"IDC_RENDERER_3D", "IDC_CLASSIFY_FRAGPROG", "IDC_CLASSIFY_TEXSHADER", "IDC_CLASSIFY_PALETTED"}),
         {"IDC_RENDERER_3D", "IDC_CLASSIFY_FRAGPROG"}, "everything, 3D allowed"},
        {"GL_EXT_paletted_texture GL_EXT_shared_texture_palette", 16, false, true, with({"IDC_CLASSIFY_PALETTED"}),
         {"IDC_RENDERER_2D", "IDC_CLASSIFY_PALETTED"}, "16 bits and palettes only"},
        {"", 8, false, true, with({}), {"IDC_RENDERER_2D", "IDC_CLASSIFY_PIXELMAPS"}, "nothing"},
        {kMesaExtensions, 8, true, false, with({"IDC_RENDERER_3D", "IDC_CLASSIFY_FRAGPROG"}),
         {"IDC_RENDERER_RGB", "IDC_CLASSIFY_NONE"}, "RGB data"},
    };
    for (const Case& c : cases) {
        settings->m_bUse3DTextures = c.use3D;
        settings->m_bRescaleTo8Bit = c.bits == 16;
        Shown shown;
        wxString title;
        DialogAnswerer answerer([&](wxDialog* dlg) {
            title = dlg->GetTitle();
            shown = Inspect(dlg);
            return int(wxID_OK);
        });
        std::unique_ptr<CVolume> volume;
        if (c.rgb)
            volume = MakeRgbVolume(2, 2, 2, [](int, int, int) { return 0x102030u; });
        else
            volume = MakeVolume(2, 2, 2, c.bits, [](int, int, int) { return 1; });
        CreateAsking(*volume, c.extensions);
        ASSERT_EQ(answerer.shown, 1) << c.why;
        EXPECT_EQ(title, "Confirm rendering options");
        EXPECT_EQ(shown.enabled, c.enabled) << c.why;
        EXPECT_EQ(shown.checked, c.checked) << c.why;
        EXPECT_EQ(shown.rescale, c.bits == 16) << c.why;
    }
}

// Every text of the template, OK without Cancel, and a layout in which no
// control covers another and each sits inside its group box.
TEST_F(RendererDialogTest, TextsAndLayout)
{
    CRendererDialogValues values;
    CRendererDialog dlg(nullptr, values);
    std::vector<std::string> texts;
    std::map<std::string, wxRect> boxes;
    std::vector<std::pair<std::string, wxRect>> controls;
    const wxRect client(dlg.GetClientSize());
    for (wxWindow* child : dlg.GetChildren()) {
        EXPECT_TRUE(client.Contains(child->GetRect())) << child->GetName();
        if (auto* box = dynamic_cast<wxStaticBox*>(child)) {
            boxes[box->GetLabel().utf8_string()] = box->GetRect();
            texts.push_back("box " + box->GetLabel().utf8_string());
            continue;
        }
        if (auto* t = dynamic_cast<wxStaticText*>(child))
            texts.push_back("text " + t->GetLabel().utf8_string());
        else if (auto* r = dynamic_cast<wxRadioButton*>(child))
            texts.push_back("radio " + r->GetLabel().utf8_string());
        else if (auto* k = dynamic_cast<wxCheckBox*>(child))
            texts.push_back("check " + k->GetLabel().utf8_string());
        else if (auto* b = dynamic_cast<wxButton*>(child))
            texts.push_back("button " + b->GetLabel().utf8_string());
        controls.push_back({child->GetName().utf8_string(), child->GetRect()});
    }
    const std::vector<std::string> expected = {
        "text Select rendering options:",
        "box Mesh Renderer",
        "box Volume Renderer",
        "box Classification",
        "box Image options",
        "radio Use 2D textures (object-aligned slices)",
        "radio Use 3D textures (view-aligned slices)",
        "radio RGB Renderer",
        "radio Render mesh using OpenGL vertex arrays",
        "radio None (linear grayscale and MIP only)",
        "radio Pixel transfer maps (pre-interpolative - SLOW)",
        "radio Paletted textures (pre-interpolative)",
        "radio nVidia texture shader (post-interpolative)",
        "radio ARB Fragment program (post-interpolative)",
        "check Rescale to 8-bits",
        "button OK",
    };
    EXPECT_EQ(texts, expected);
    EXPECT_NE(dlg.FindWindow(wxID_OK), nullptr);
    EXPECT_EQ(dlg.FindWindow(wxID_CANCEL), nullptr);
    for (std::size_t i = 0; i < controls.size(); ++i)
        for (std::size_t k = i + 1; k < controls.size(); ++k)
            EXPECT_FALSE(controls[i].second.Intersects(controls[k].second))
                << controls[i].first << " covers " << controls[k].first;
    const std::map<std::string, std::string> inBox = {
        {"IDC_RENDERER_MESH", "Mesh Renderer"},       {"IDC_RENDERER_2D", "Volume Renderer"},
        {"IDC_RENDERER_3D", "Volume Renderer"},       {"IDC_RENDERER_RGB", "Volume Renderer"},
        {"IDC_CLASSIFY_NONE", "Classification"},      {"IDC_CLASSIFY_PIXELMAPS", "Classification"},
        {"IDC_CLASSIFY_PALETTED", "Classification"},  {"IDC_CLASSIFY_TEXSHADER", "Classification"},
        {"IDC_CLASSIFY_FRAGPROG", "Classification"},  {"IDC_RESCALE", "Image options"},
    };
    for (const auto& [name, box] : inBox) {
        wxWindow* w = dlg.FindWindow(XRCID(name.c_str()));
        ASSERT_NE(w, nullptr) << name;
        EXPECT_TRUE(boxes[box].Contains(w->GetRect())) << name << " inside " << box;
    }
}

// Clicking a classification and the rescale check, then OK: the factory
// builds the class clicked and the settings take the rescale choice.
TEST_F(RendererDialogTest, ClicksThenOk)
{
    settings->m_bRescaleTo8Bit = true;
    LiveDialog live;
    live.act = [](wxDialog* dlg) {
        wxRadioButton* maps = Control<wxRadioButton>(dlg, "IDC_CLASSIFY_PIXELMAPS");
        Click(maps);
        ASSERT_TRUE(WaitUntil([maps] { return maps->GetValue(); })) << "GTK checked the radio";
        EXPECT_FALSE(Control<wxRadioButton>(dlg, "IDC_CLASSIFY_FRAGPROG")->GetValue()) << "and cleared the default";
        wxCheckBox* rescale = Control<wxCheckBox>(dlg, "IDC_RESCALE");
        Click(rescale);
        ASSERT_TRUE(WaitUntil([rescale] { return !rescale->GetValue(); }));
        Click(dlg->FindWindow(wxID_OK));
    };
    auto volume = MakeVolume(2, 2, 2, 16, [](int, int, int) { return 1; });
    EXPECT_EQ(CreateAsking(*volume, kMesaExtensions), kPixelMap);
    EXPECT_TRUE(live.ranAct);
    EXPECT_FALSE(settings->m_bRescaleTo8Bit);
}

// Escape closes without storing the rescale check; the type clicked before
// still decides the class.
TEST_F(RendererDialogTest, EscapeKeepsClicksButNotTheRescale)
{
    settings->m_bRescaleTo8Bit = true;
    settings->m_bUse3DTextures = true; // the default would be 3D textures
    LiveDialog live;
    live.act = [](wxDialog* dlg) {
        wxRadioButton* flat = Control<wxRadioButton>(dlg, "IDC_RENDERER_2D");
        ASSERT_FALSE(flat->GetValue());
        Click(flat);
        ASSERT_TRUE(WaitUntil([flat] { return flat->GetValue(); }));
        wxCheckBox* rescale = Control<wxCheckBox>(dlg, "IDC_RESCALE");
        Click(rescale);
        ASSERT_TRUE(WaitUntil([rescale] { return !rescale->GetValue(); }));
        GtkPressKey(dlg->GetHandle(), kGdkKeyEscape);
        EXPECT_TRUE(WaitUntil([dlg] { return !dlg->IsModal(); })) << "Escape ended the dialog";
    };
    auto volume = MakeVolume(2, 2, 2, 8, [](int, int, int) { return 1; });
    EXPECT_EQ(CreateAsking(*volume, kMesaExtensions), kFragProg);
    EXPECT_TRUE(live.ranAct);
    EXPECT_TRUE(settings->m_bRescaleTo8Bit) << "Escape leaves the setting";
}
