/* Progress of long imports and exports on standard error when it is a
 * terminal: cards done, at most ten updates a second. Exports TerminalProgress. */
#ifndef ZAMO_HOST_TERMINAL_PROGRESS_H
#define ZAMO_HOST_TERMINAL_PROGRESS_H

#include <chrono>

class TerminalProgress {
public:
    /* Does nothing at all unless `enabled`; `verb` as in "imported". */
    TerminalProgress(bool enabled, const char* verb);
    ~TerminalProgress() { Finish(); }
    /* Shows `cards` unless the last update is less than 100 ms old. */
    void Update(long cards);
    /* Ends the progress line (before a prompt or other output). */
    void Finish();

private:
    bool enabled_;
    const char* verb_;
    bool lineOpen_ = false;
    std::chrono::steady_clock::time_point last_;
};

#endif
