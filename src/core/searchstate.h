#pragma once

#include <QString>
#include <optional>

namespace tl
{

// What the find dialog and the find and replace commands remember until the program ends.
struct SearchState {
    QString FindText;
    QString ReplaceText;
    bool MatchCase = false;
    // The selection start after the last find-next.
    qint64 LastFoundPos = 0;
    // Set when the find dialog opens or its text changes; cleared by find-next.
    bool NewSearch = false;
    // What the window searching every page searches for when it is opened.
    QString PagesText;
    bool PagesMatchCase = false;
};

// Where the definition finder and the three go-to commands return to.
struct NavState {
    // The caret position to return to after a definition search; none when empty (a search
    // started at position 0 returns there too).
    std::optional<qint64> ReturnPos;
    // The last press of that go-to command moved the caret there, so the next press goes back.
    bool TopActive = false;
    bool MidActive = false;
    bool EndActive = false;
    // The lines (from 1) to go back to.
    qint64 TopBackLine = 0;
    qint64 MidBackLine = 0;
    qint64 EndBackLine = 0;
};

} // namespace tl
