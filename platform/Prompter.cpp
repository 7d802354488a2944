#include "platform/Prompter.h"

#include <cstdio>

#include "platform/Installed.h"

namespace {
class CSilentPrompter : public IPrompter {
public:
    int MessageBox(const std::string& text, unsigned style) override
    {
        std::fprintf(stderr, "Vexilo: %s\n", text.c_str());
        return (style & 0x0F) == MB_YESNO ? IDNO : IDOK;
    }
    bool ChooseFile(const FileChooserRequest&, std::string&) override { return false; }
    bool ChooseColour(COLORREF&) override { return false; }
    bool BrowseFolder(const std::string&, std::string&) override { return false; }
};

CSilentPrompter g_silent;
constinit TInstalled<IPrompter> g_prompter{g_silent};
} // namespace

IPrompter& Prompter() { return g_prompter.Get(); }
IPrompter* SetPrompter(IPrompter* prompter) { return g_prompter.Set(prompter); }
