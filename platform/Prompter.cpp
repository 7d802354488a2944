#include "platform/Prompter.h"

#include <cstdio>

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
IPrompter* g_prompter = nullptr;
} // namespace

IPrompter& Prompter() { return g_prompter ? *g_prompter : g_silent; }
IPrompter* SetPrompter(IPrompter* prompter)
{
    IPrompter* previous = g_prompter;
    g_prompter = prompter;
    return previous;
}
