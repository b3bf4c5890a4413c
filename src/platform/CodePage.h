// Text where it crosses between the network's files and the controls: the
// files keep one byte a letter in Windows-1252, the controls hold Unicode.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <QString>

class TMessageSink;
class QWidget;

// Bytes (Windows-1252) as the controls show them.
QString ShowText(std::string_view bytes);
// What a user typed as bytes: line breaks become blanks (kept as they are
// with keepBreaks), and the text is cut to width bytes. A character outside
// Windows-1252 would become '?': a dialog refuses such text first (below).
std::string TypedText(const QString& text, size_t width = std::string::npos, bool keepBreaks = false);
// Whether the network file can keep the texts typed into the fields (line
// edits, memos, drop-downs): it cannot keep characters outside
// Windows-1252. A field that holds any is marked bad and one message box
// names them (a field that no longer holds any loses that mark); the dialog
// then stays open, as for any other bad input.
bool TypedTextsKept(const std::vector<QWidget*>& fields, TMessageSink* boxes);
// Sets a field's text colour to red (bad) or black.
void MarkBad(QWidget* edit, bool bad);
bool IsMarkedBad(const QWidget* edit);
