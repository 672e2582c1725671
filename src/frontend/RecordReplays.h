// The replays of a table's rows: the table NAME.tbl keeps them in the folder NAME.replays beside
// it, one file per row, named "ROWKEY-CONTENT.replay" by two hashes: ROWKEY of the row's result
// (RowReplayKey), CONTENT of the replay's text. The table file itself stays exactly as it was.
//
// A row names its replay by the row key; a file no row names is ignored and removed at the next
// save. So a save writes the new row's replay first, then replaces the table, then removes the
// replays no row names: a crash at any point leaves no row without its replay (rows saved before
// replays existed have none) and no replay shown for a row that is gone. Identical rows share a
// key: the k-th of them takes the k-th of its files in name order.
#pragma once
#include <array>
#include <string>

#include "frontend/RecordTypes.h"

// "x/main.tbl" -> "x/main.replays".
std::string ReplayFolderOf(const std::string& tablePath);
// 16 hexadecimal digits from the row's result: used, name, score, targets, medals, levels, won,
// difficulty and misses.
std::string RowReplayKey(const TRecordRow& row);
// Writes the replay text of row into the table's folder (made when missing), atomically; false
// with the reason on failure.
bool KeepRowReplay(const std::string& tablePath, const TRecordRow& row, const std::string& text,
                   std::string& error);
// The path of each used row's replay, or "" where it has none.
std::array<std::string, kRecordRows> RowReplays(const std::string& tablePath,
                                                const TRecordRow (&rows)[kRecordRows]);
// Removes the replays (and only files named as replays) that no row names.
void DropUnnamedReplays(const std::string& tablePath, const TRecordRow (&rows)[kRecordRows]);
