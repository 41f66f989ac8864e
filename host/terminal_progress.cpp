/* TerminalProgress (see terminal_progress.h). */
#include "terminal_progress.h"

#include <cstdio>

TerminalProgress::TerminalProgress(bool enabled, const char* verb)
    : enabled_(enabled), verb_(verb), last_(std::chrono::steady_clock::now()) {}

void TerminalProgress::Update(long cards) {
    if (!enabled_) return;
    auto now = std::chrono::steady_clock::now();
    if (now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    std::fprintf(stderr, "\r%s %ld cards", verb_, cards);
    std::fflush(stderr);
    lineOpen_ = true;
}

void TerminalProgress::Finish() {
    if (!lineOpen_) return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    lineOpen_ = false;
}
