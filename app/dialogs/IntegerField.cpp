#include "app/dialogs/IntegerField.h"

#include <climits>
#include <cstdint>

#include <wx/textctrl.h>

#include "platform/Prompter.h"

namespace {
// The digits of `text` with its sign, blanks trimmed; false when it is not
// one optional sign followed by at least one digit.
bool ParseWhole(const wxString& text, bool& negative, std::uint64_t& magnitude)
{
    const std::string s = text.utf8_string();
    std::size_t i = 0, n = s.size();
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (i < n && blank(s[i]))
        ++i;
    while (n > i && blank(s[n - 1]))
        --n;
    negative = false;
    if (i < n && (s[i] == '+' || s[i] == '-'))
        negative = s[i++] == '-';
    if (i == n)
        return false;
    magnitude = 0;
    for (; i < n; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        magnitude = magnitude * 10 + unsigned(s[i] - '0');
        if (magnitude > std::uint64_t(UINT_MAX) + 1)
            return false;
    }
    return true;
}
} // namespace

wxString EnterIntegerBetween(int min, int max)
{
    return wxString::Format("Please enter an integer between %d and %d.", min, max);
}

bool ParseDialogInt(const wxString& text, int& value)
{
    bool negative = false;
    std::uint64_t m = 0;
    if (!ParseWhole(text, negative, m))
        return false;
    if (negative ? m > std::uint64_t(INT_MAX) + 1 : m > std::uint64_t(INT_MAX))
        return false;
    value = negative ? int(-static_cast<long long>(m)) : int(m);
    return true;
}

bool ParseDialogUnsigned(const wxString& text, unsigned& value)
{
    bool negative = false;
    std::uint64_t m = 0;
    if (!ParseWhole(text, negative, m) || negative || m > UINT_MAX)
        return false;
    value = unsigned(m);
    return true;
}

bool ReadIntegerField(wxTextCtrl& field, int& value, int min, int max)
{
    int v = 0;
    const bool number = ParseDialogInt(field.GetValue(), v);
    if (number && v >= min && v <= max) {
        value = v;
        return true;
    }
    VxMessageBox((number ? EnterIntegerBetween(min, max) : wxString(kEnterInteger)).utf8_string(),
                 MB_OK | MB_ICONEXCLAMATION);
    field.SetFocus();
    field.SelectAll();
    return false;
}
