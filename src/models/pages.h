#pragma once

namespace Corvane::Model {

/// The page counters of the last search reply; the start is the page index asked next.
struct Pages {
    int current = 0;
    int total = 0;
    int start = 0;

    bool canGoBack() const { return current > 1; }
    bool canGoForward() const { return current < total; }
    /// The page index step pages away from start, kept within the pages there are.
    int offset(int step) const;
};

}
