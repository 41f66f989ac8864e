/* A fixed sequence of pseudo-random numbers for the randomized comparison
 * tests, the same on every platform. Exports RandomBelow. */
#ifndef ZAMO_TESTS_RANDOM_BELOW_H
#define ZAMO_TESTS_RANDOM_BELOW_H

#include <cstddef>
#include <cstdint>

/* next(n) is below n; the sequence is fixed by the starting state. */
struct RandomBelow {
    uint64_t state;
    size_t operator()(uint64_t below) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<size_t>((state >> 33) % below);
    }
};

#endif
