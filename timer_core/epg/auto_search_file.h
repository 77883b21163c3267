// AutoSearch.txt, the timer's automatic-reservation conditions: one condition per line of nine
// TAB-ended columns in Shift-JIS with CR LF, in <Documents>/Orvandel. Each user (the main
// window's automatic-reservation step, the list dialog, the condition editor) keeps its own
// instance and reads the file when it needs it. Every save rewrites the file whole (comment
// lines are lost then) through the platform's atomic replacement, so a crash or a full disk
// leaves the old file or the new one.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "timer_core/epg/auto_search_condition.h"

namespace timer_core {

class AutoSearchFile {
  public:
    // Looks up the Documents folder once and builds the file path from it.
    AutoSearchFile();

    // Replaces the map with the file's conditions, keyed 0, 1, 2 ... in file order. A missing
    // file is created empty (with its folder). Comment lines (";" first) and lines that do not
    // parse are skipped. A bare LF or a bare CR ends a line as CR LF does, and a UTF-8
    // byte-order mark before the first line is skipped (files edited on other systems). A file
    // that is there but cannot be read (not a regular file, beyond platform::kMaxListFileBytes,
    // no permission) leaves the map empty and is not saved over until a later Load reads it.
    void Load();

    // Rewrites the file from the map in key order (creating the folder when missing). 1 when
    // the file now holds the map; 0 when it could not be written or the last Load could not
    // read it, the old file then unchanged.
    int Save() const;

    // Fills the condition from one line (Shift-JIS, without its line end): 1 parsed, 0 rejected
    // (the condition then partly filled).
    static int ParseLine(std::string_view line, AutoSearchCondition* condition);

    // Appends the condition's line with its CR LF; always 1.
    static int FormatLine(std::string* text, const AutoSearchCondition& condition);

    const std::wstring& documentsFolder() const { return documentsFolder_; }
    const std::wstring& filePath() const { return filePath_; }

    // Keys stay as given: erasing one leaves a gap until the next Load; callers that add a
    // condition use the current count as its key.
    std::map<int, AutoSearchCondition> conditions;

  private:
    std::wstring documentsFolder_;
    std::wstring filePath_;
    // The last Load found a file it could not read: the map does not hold what it holds.
    bool unreadFile_ = false;
};

// Keywords as AutoSearch.txt keeps them: TAB, CR and LF become half-width spaces, so that the
// line stays one line of nine columns and the words around them stay separate words (the search
// splits at spaces, so it looks for the same words). FormatLine applies it to both word columns;
// the condition editor applies it to what the user typed, so that a condition searches the same
// before and after it is saved.
std::wstring KeywordsForFile(std::wstring_view words);

}  // namespace timer_core
