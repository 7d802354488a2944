#include "platform/wx/WxPrompter.h"

#include <vector>

#include <wx/app.h>
#include <wx/colordlg.h>
#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>

namespace {
constexpr const char* kCaption = "Vexilo";

wxWindow* DialogParent()
{
    return wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
}

std::vector<std::string> Split(const std::string& s, char sep)
{
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    for (;;) {
        auto end = s.find(sep, start);
        parts.push_back(s.substr(start, end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

// "*.img" as "*.[iI][mM][gG]": GTK's patterns are case-sensitive, and a
// plain upper-case twin would still miss "Scan.Img". A pattern that already
// holds a bracket is left as it is.
std::string AnyCase(const std::string& pattern)
{
    if (pattern.find('[') != std::string::npos)
        return pattern;
    std::string out;
    for (char c : pattern) {
        // ASCII letters only: names in other scripts keep their bytes.
        const char lower = c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
        if (lower >= 'a' && lower <= 'z')
            out += std::string("[") + lower + char(lower - 'a' + 'A') + "]";
        else
            out += c;
    }
    return out;
}
} // namespace

int CWxPrompter::MessageBox(const std::string& text, unsigned style)
{
    const bool yesNo = (style & 0x0F) == MB_YESNO;
    long wxStyle = yesNo ? wxYES_NO : wxOK;
    // As the Windows framework does: a box given no icon gets the
    // exclamation mark, a question the question mark.
    switch (style & 0xF0) {
    case MB_ICONQUESTION: wxStyle |= wxICON_QUESTION; break;
    case MB_ICONEXCLAMATION: wxStyle |= wxICON_EXCLAMATION; break;
    case MB_ICONINFORMATION: wxStyle |= wxICON_INFORMATION; break;
    default: wxStyle |= yesNo ? wxICON_QUESTION : wxICON_EXCLAMATION; break;
    }
    wxMessageDialog dlg(DialogParent(), wxString::FromUTF8(text), kCaption, wxStyle);
    switch (dlg.ShowModal()) {
    case wxID_YES: return IDYES;
    case wxID_NO: return IDNO;
    case wxID_OK: return IDOK;
    default: return yesNo ? IDNO : IDCANCEL;
    }
}

bool CWxPrompter::ChooseFile(const FileChooserRequest& request, std::string& path)
{
    long style = request.open ? (wxFD_OPEN | wxFD_FILE_MUST_EXIST) : (wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    wxFileDialog dlg(DialogParent(), request.title.empty() ? wxString(request.open ? "Open" : "Save As")
                                                           : wxString::FromUTF8(request.title),
                     wxString(), wxString::FromUTF8(request.fileName),
                     wxString::FromUTF8(GtkFileFilter(request.filter)), style);
    for (;;) {
        if (dlg.ShowModal() != wxID_OK)
            return false;
        const std::string chosen = dlg.GetPath().utf8_string();
        if (request.open) {
            path = chosen;
            return true;
        }
        if (SavePathConfirmed(chosen, request.defaultExt, path, [this](const std::string& question) {
                return MessageBox(question, MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
            }))
            return true;
        dlg.SetPath(wxString::FromUTF8(chosen));
    }
}

bool CWxPrompter::ChooseColour(COLORREF& colour)
{
    wxColourData data;
    // Opened with its custom colours and any colour allowed.
    data.SetChooseFull(true);
    data.SetColour(wxColour(GetRValue(colour), GetGValue(colour), GetBValue(colour)));
    wxColourDialog dlg(DialogParent(), &data);
    if (dlg.ShowModal() != wxID_OK)
        return false;
    wxColour c = dlg.GetColourData().GetColour();
    colour = MakeColorRef(c.Red(), c.Green(), c.Blue());
    return true;
}

bool CWxPrompter::BrowseFolder(const std::string& title, std::string& folder)
{
    wxDirDialog dlg(DialogParent(), wxString::FromUTF8(title), wxString::FromUTF8(folder),
                    wxDD_DEFAULT_STYLE | wxDD_DIR_MUST_EXIST);
    if (dlg.ShowModal() != wxID_OK)
        return false;
    folder = dlg.GetPath().utf8_string();
    return true;
}

std::string GtkFileFilter(const std::string& filter)
{
    std::vector<std::string> parts = Split(filter, '|');
    std::string out;
    for (size_t i = 0; i + 1 < parts.size() && !parts[i].empty(); i += 2) {
        std::string patterns;
        for (const std::string& p : Split(parts[i + 1], ';')) {
            // The literal form first: wx takes a save dialog's extension from
            // the first pattern of the chosen filter.
            std::vector<std::string> forms = {p == "*.*" ? "*" : p};
            if (AnyCase(forms[0]) != forms[0])
                forms.push_back(AnyCase(forms[0]));
            for (const std::string& f : forms)
                patterns += (patterns.empty() ? "" : ";") + f;
        }
        out += (out.empty() ? "" : "|") + parts[i] + "|" + patterns;
    }
    return out;
}

std::string WithDefaultExtension(const std::string& path, const std::string& defaultExt)
{
    if (defaultExt.empty())
        return path;
    auto slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    // A leading dot names a hidden file, not an extension.
    if (name.find('.', 1) != std::string::npos)
        return path;
    std::string ext = defaultExt[0] == '.' ? defaultExt.substr(1) : defaultExt;
    return path + "." + ext;
}

bool SavePathConfirmed(const std::string& chosen, const std::string& defaultExt, std::string& path,
                       const std::function<bool(const std::string& question)>& replace)
{
    const std::string named = WithDefaultExtension(chosen, defaultExt);
    // GTK asked about the name as typed; with the extension appended it may
    // name another file that exists.
    if (named != chosen && wxFileExists(wxString::FromUTF8(named))) {
        const std::string name = wxFileName(wxString::FromUTF8(named)).GetFullName().utf8_string();
        if (!replace(name + " already exists.\nDo you want to replace it?"))
            return false;
    }
    path = named;
    return true;
}
