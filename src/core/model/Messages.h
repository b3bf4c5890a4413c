// The program's string table and its message boxes. Core code shows a message
// through a TMessageSink; the program gives it one that shows a QMessageBox,
// tests give it a TMessageSinkRecorder.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Message box flags: buttons in the low nibble, icon in the next one.
constexpr int MB_OK = 0x00;
constexpr int MB_OKCANCEL = 0x01;
constexpr int MB_YESNOCANCEL = 0x03;
constexpr int MB_YESNO = 0x04;
constexpr int MB_ICONSTOP = 0x10;        // also the error icon
constexpr int MB_ICONQUESTION = 0x20;
constexpr int MB_ICONEXCLAMATION = 0x30; // also the warning icon
constexpr int MB_ICONINFORMATION = 0x40;
constexpr int MB_BUTTONMASK = 0x0F;
constexpr int MB_ICONMASK = 0xF0;

// The flag values the program uses.
constexpr int MB_STOP_OK = MB_ICONSTOP | MB_OK;                          // $10
constexpr int MB_STOP_OKCANCEL = MB_ICONSTOP | MB_OKCANCEL;              // $11
constexpr int MB_STOP_YESNOCANCEL = MB_ICONSTOP | MB_YESNOCANCEL;        // $13
constexpr int MB_EXCLAMATION_OK = MB_ICONEXCLAMATION | MB_OK;            // $30
constexpr int MB_EXCLAMATION_OKCANCEL = MB_ICONEXCLAMATION | MB_OKCANCEL; // $31

// Buttons a message box returns.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Texts of several lines separate them with LF then CR.
constexpr std::string_view MessageLineBreak = "\n\r";

// The string-table text of id; empty when the table has no such text.
std::string MessageText(int id);
// The same text cut to 254 bytes with a NUL byte appended (and counted in
// the length), for callers that hand it on as a C string.
std::string LoadResText(int id);
// Whether the table holds a text for id.
bool HasMessageText(int id);
// Every (id, text) pair of the table, ordered by id.
struct TStringTableEntry {
    int Id;
    std::string_view Text;
};
const std::vector<TStringTableEntry>& StringTable();

// A multi-line message text as the dialog shows it: each LF CR pair (and any
// lone CR) becomes one LF.
std::string MessageTextForDisplay(std::string_view text);

// Where message boxes go.
class TMessageSink {
public:
    virtual ~TMessageSink() = default;
    // Shows text under caption with the given flags; returns the button
    // pressed (IDOK, IDCANCEL, IDYES, IDNO).
    virtual int MessageBox(const std::string& text, const std::string& caption, int flags) = 0;
};

// A message box of string-table texts, each cut to 79 bytes.
int ShowMessageBox(TMessageSink& sink, int textId, int captionId, int flags);

// A message box of texts built by the caller (fixed literals, joined texts).
inline int ShowMessageText(TMessageSink& sink, const std::string& text, const std::string& caption, int flags)
{
    return sink.MessageBox(text, caption, flags);
}

// The button a box with these flags answers when the user accepts it: IDYES
// for yes/no boxes, IDOK otherwise.
int DefaultButton(int flags);

// Records message boxes for tests and headless runs. Answers are given in
// order; when none is left the box's default button is returned.
class TMessageSinkRecorder : public TMessageSink {
public:
    struct TCall {
        std::string Text;
        std::string Caption;
        int Flags = 0;
    };
    std::vector<TCall> Calls;
    std::vector<int> Answers;

    int MessageBox(const std::string& text, const std::string& caption, int flags) override;
    std::size_t Count() const { return Calls.size(); }
    const TCall& Last() const { return Calls.back(); }
    void Clear()
    {
        Calls.clear();
        Answers.clear();
        NextAnswer = 0;
    }

private:
    std::size_t NextAnswer = 0;
};
