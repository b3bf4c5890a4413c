// The user trip table: a text file of node-to-node values shown as desire
// lines. The file is a run of tables, each
//   row lines:     one node name a line, up to a line "END OF ROWS";
//   column lines:  one node name a line, up to a line "END OF COLUMNS";
//   values:        rows x columns numbers, row by row, separated by blanks,
//                  tabs or commas, as many on a line as wanted;
// and a line "END OF TABLES" where a table would begin (or the end of the
// file) ends it. Names are found like a search by name (at most 30
// characters, trailing blanks cut, a final '*' matches any ending); blank
// lines between names and tables are skipped. A number is digits, '+', '-',
// '.' and 'E' ("12." reads as 12.0, "1E3" as 1000); anything else, and a
// value too large for a real, cannot be read.
#pragma once

#include <memory>
#include <string>

#include "core/model/DesireTable.h"

class TNetwork;

struct TTripTableResult {
    bool Ok = false;
    // "Table loaded.", or the message of the error with the table number and,
    // where it applies, the row or column number.
    std::string Status;
    int MessageId = 0;          // the string-table text of the error; 0 when loaded
    int Table = 0, Row = 0, Column = 0; // where the error was found (1-based; 0 = not given)
    std::shared_ptr<TDesireTables> Tables; // the tables read, on success only
};

// Reads the tables of a file held in memory against the nodes of net. A file
// that fails gives no tables at all.
TTripTableResult ReadTripTable(std::string bytes, const TNetwork& net);
// The same from a reader open on a file or on bytes.
class TTextReader;
TTripTableResult ReadTripTable(TTextReader& in, const TNetwork& net);
// The same for a file on disk; a file that cannot be read is an error too.
TTripTableResult LoadTripTable(const std::string& path, const TNetwork& net);
