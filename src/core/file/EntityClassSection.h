// The entity-class section of the network file: the eleven class records of
// one kind with their attribute definitions and worksheets, in every file
// version (1 and 3..9).
#pragma once

#include "core/file/LegacyText.h"
#include "core/model/EntityClasses.h"

// Reads the records 0..10 from ctx.InFile in ctx.ReadVersion. On a failure
// sets ctx.ErrorCode (1 bad or truncated data, 30 no memory) and stops,
// leaving the records read so far consistent (an attribute count never
// exceeds the attributes present). Does nothing when ErrorCode is set.
void ReadEntityClasses(TFileContext& ctx, TEntityClass& classes);

// Reads rows 0..topRow (at most MaxWorkSheetRow) of an attribute's worksheet
// in the given file version: label, low, high and codes on one line, then in
// version 6 and later the hint line. Version 1 has no codes.
void ReadWorkSheetRows(TTextReader& in, int version, TWorkSheet& sheet, int topRow);

// Writes the records 0..10 to ctx.OutFile in ctx.WriteVersion. A failure sets
// ctx.ErrorCode 2. Does nothing when ErrorCode is set.
void WriteEntityClasses(TFileContext& ctx, const TEntityClass& classes);
