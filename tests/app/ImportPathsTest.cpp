// The three roads by which data come in, each through its real dialog as
// the program runs it.
#include <filesystem>
#include <string>

#include <wx/textctrl.h>

#include "DialogScript.h"
#include "ViewFixture.h"
#include "app/AppDialogRunner.h"
#include "app/dialogs/DcmDialog.h"
#include "app/dialogs/RawDialog.h"
#include "app/dialogs/RgbDialog.h"
#include "data/DicomTestImages.h"
#include "platform/wx/StepArrows.h"

namespace {
class ImportPathsTest : public ViewTest {
protected:
    void SetUp() override
    {
        ViewTest::SetUp();
        SetDialogRunner(&program);
    }
    CVolume* Volume() { return dynamic_cast<CVolume*>(view->m_pModel); }

    CAppDialogRunner program;
    User user;
};
} // namespace

// A raw file opens after its layout is typed into the raw dialog: 16-bit
// big-endian voxels after a 10-byte header. Cancelling the dialog instead
// ends the open there: no DICOM question, no message, the volume kept.
TEST_F(ImportPathsTest, RawFileThroughTheRawDialog)
{
    std::string bytes(10, 'h');
    for (int i = 0; i < 16 * 8 * 4; ++i)
        bytes += char(0x80), bytes += char(i & 0xFF);
    const std::string path = dir.Write("layout.raw", bytes);
    {
        ModalScript<CRawDialog> script([&](CRawDialog& d) {
            EXPECT_EQ(GtkLabelText(Child(d, "IDC_RAW_ACTUAL_SIZE")), std::to_string(bytes.size()));
            ASSERT_TRUE(user.Type(Child<wxTextCtrl>(d, "IDC_RAW_DIMX"), "16"));
            ASSERT_TRUE(user.Type(Child<wxTextCtrl>(d, "IDC_RAW_DIMY"), "8"));
            ASSERT_TRUE(user.Type(Child<wxTextCtrl>(d, "IDC_RAW_DIMZ"), "4"));
            ASSERT_TRUE(user.Type(Child<wxTextCtrl>(d, "IDC_RAW_OFFSET"), "10"));
            auto* bits = dynamic_cast<CStepArrows*>(&Child(d, "IDC_RAW_SPINBITS"));
            ASSERT_NE(bits, nullptr);
            ASSERT_TRUE(user.Click(*bits, wxPoint(bits->GetClientSize().x / 2, 2)));
            WaitUntil([&] { return d.PendingUpdates() == 0; });
            EXPECT_EQ(GtkLabelText(Child(d, "IDC_RAW_EXPECTED_SIZE")), std::to_string(bytes.size()));
            ASSERT_TRUE(user.Click(Child(d, "IDC_RAW_LITTLE_ENDIAN")));
            ASSERT_TRUE(user.Click(Child(d, "wxID_OK")));
        });
        Open(path);
        EXPECT_EQ(script.shown, 1);
    }
    CVolume* volume = Volume();
    ASSERT_NE(volume, nullptr);
    EXPECT_EQ(volume->m_nDimX, 16);
    EXPECT_EQ(volume->m_nDimY, 8);
    EXPECT_EQ(volume->m_nDimZ, 4);
    EXPECT_EQ(volume->m_nBits, 16);
    // Read high byte first; the other order would fall under the minimum
    // alpha and read 0.
    EXPECT_EQ(volume->GetVoxel(3, 0, 0), 0x8003);
    EXPECT_EQ(frame->GetTitle(), "Vexilo - [layout.raw]");
    EXPECT_TRUE(LogHas("Loading file: layout.raw"));

    ModalScript<CRawDialog> cancel([&](CRawDialog& d) { ASSERT_TRUE(user.Click(Child(d, "wxID_CANCEL"))); });
    prompter.asked.clear();
    prompter.answers = {IDNO};
    Open(path);
    EXPECT_EQ(cancel.shown, 1);
    EXPECT_TRUE(prompter.asked.empty()) << prompter.asked[0].text;
    EXPECT_EQ(view->m_pModel, volume);
    EXPECT_EQ(frame->GetTitle(), "Vexilo - [layout.raw]");
}

// A DICOM series opens after the review: the dialog tells what the scan
// found; half the size doubles the voxel size. Closing it without OK still
// loads, at the probed size.
TEST_F(ImportPathsTest, DicomSeriesThroughTheReviewDialog)
{
    const std::string folder = dir.File("series");
    std::filesystem::create_directory(folder);
    for (int i = 1; i <= 3; ++i) {
        ImageSpec spec;
        spec.instance = i;
        spec.pixelSpacing = "0.5\\0.5";
        spec.thickness = "2";
        WriteImage(folder + "/" + FormatName(i), spec);
    }
    struct Case {
        const char* what;
        bool ok;
        int size;
        float voxel;
    };
    const Case cases[] = {{"half size", true, 4, 1.0f}, {"closed", false, 8, 0.5f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ModalScript<CDcmDialog> script([&](CDcmDialog& d) {
            EXPECT_EQ(GtkLabelText(Child(d, "IDC_DCM_MESSAGE")),
                      "Found 3 files at 8 x 8 with 16 bits per voxel\n\nEnter changes below:");
            ASSERT_TRUE(user.Type(Child<wxTextCtrl>(d, "IDC_DCM_NEWX"), "4"));
            ASSERT_TRUE(user.Type(Child<wxTextCtrl>(d, "IDC_DCM_NEWY"), "4"));
            if (c.ok) {
                ASSERT_TRUE(user.Click(Child(d, "wxID_OK")));
            } else {
                d.Close();
            }
        });
        prompter.answers = {IDYES};
        Open(folder + "/" + FormatName(2));
        EXPECT_EQ(script.shown, 1);
        CVolume* volume = Volume();
        ASSERT_NE(volume, nullptr);
        EXPECT_EQ(volume->m_nDimX, c.size);
        EXPECT_EQ(volume->m_nDimY, c.size);
        EXPECT_EQ(volume->m_nDimZ, 3);
        EXPECT_EQ(volume->m_fScaleX, c.voxel);
        EXPECT_EQ(volume->m_fScaleZ, 2.0f);
        EXPECT_EQ(frame->GetTitle(), "Vexilo - [" + FormatName(2) + "]");
    }
}

// A slice folder comes in through the import dialog, which opens over the
// view: the title and the log show the search pattern the dialog made.
TEST_F(ImportPathsTest, SliceFolderThroughTheImportDialog)
{
    const std::string folder = dir.File("slices");
    std::filesystem::create_directory(folder);
    for (const char* name : {"s1", "s2"})
        dir.Write(std::string("slices/") + name, std::string(12, char(255)) + std::string(24, '\0'));
    ModalScript<CRgbDialog> script([&](CRgbDialog& d) {
        EXPECT_EQ(d.GetParent(), view);
        ASSERT_TRUE(user.Type(Child<wxTextCtrl>(d, "IDC_RGB_FOLDER"), folder));
        ASSERT_TRUE(user.Type(Child<wxTextCtrl>(d, "IDC_RGB_WIDTH"), "4"));
        ASSERT_TRUE(user.Type(Child<wxTextCtrl>(d, "IDC_RGB_HEIGHT"), "3"));
        ASSERT_TRUE(user.Click(Child(d, "wxID_OK")));
    });
    Command(ID_FILE_IMPORT);
    EXPECT_EQ(script.shown, 1);
    auto* volume = dynamic_cast<CRgbVolume*>(view->m_pModel);
    ASSERT_NE(volume, nullptr);
    EXPECT_EQ(volume->m_nDimX, 4);
    EXPECT_EQ(volume->m_nDimY, 3);
    EXPECT_EQ(volume->m_nDimZ, 2);
    EXPECT_EQ(volume->GetVoxel(0, 0, 0), 76);
    EXPECT_EQ(frame->GetTitle(), "Vexilo - [" + folder + "/*.*]");
    EXPECT_TRUE(LogHas("Loading data : " + folder + "/*.*"));
}
