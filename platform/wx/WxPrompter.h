#pragma once
#include <functional>
#include <string>

#include "platform/Prompter.h"

// Message boxes and choosers as wx dialogs, captioned "Vexilo", over the
// application's top window.
class CWxPrompter : public IPrompter {
public:
    int MessageBox(const std::string& text, unsigned style) override;
    bool ChooseFile(const FileChooserRequest& request, std::string& path) override;
    bool ChooseColour(COLORREF& colour) override;
    bool BrowseFolder(const std::string& title, std::string& folder) override;
};

// A "Desc|*.x;*.y|...||" filter rewritten for GTK, whose patterns are
// case-sensitive and whose "*.*" misses names without a dot: each pattern
// is followed by its form for any case ("*.img;*.[iI][mM][gG]") and "*.*"
// becomes "*". The descriptions stay as they are.
std::string GtkFileFilter(const std::string& filter);

// `path` with "." + `defaultExt` appended when its file name has no
// extension (and `defaultExt` is not empty).
std::string WithDefaultExtension(const std::string& path, const std::string& defaultExt);

// The file a save chooser's `chosen` name stands for: with the default
// extension appended. When that names another file that exists, `replace`
// is asked the question the chooser asks for the typed name; false (and
// `path` untouched) when it declines, so the chooser is shown again.
bool SavePathConfirmed(const std::string& chosen, const std::string& defaultExt, std::string& path,
                       const std::function<bool(const std::string& question)>& replace);
