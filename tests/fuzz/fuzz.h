// The parser fuzzer: targets, each one function over one input, and the mutator that
// derives inputs from a target's seeds.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

// One parser under test. run returns for every input it handles, true when the parser took
// the input and false when it refused it the way its callers expect (those failures are
// caught inside run); anything it lets escape is a fault.
struct FuzzTarget {
    const char* name;
    std::vector<std::string> seeds;       // valid inputs the mutations start from
    std::vector<std::string> dictionary;  // fragments worth inserting
    bool (*run)(const std::string& input);
};

// Every target, in the order they run. A new target is one function and one entry here.
std::vector<FuzzTarget> FuzzTargets();

// Deterministic for a given seed: the same inputs in the same order on every run.
class Mutator {
public:
    explicit Mutator(uint64_t seed) : m_random(seed) {}

    // One or two random edits of input: changed, inserted, removed or repeated bytes,
    // dictionary fragments, values after ':' or ',' replaced, splices with a seed.
    std::string Mutate(std::string input, const FuzzTarget& target);
    size_t Below(size_t bound) { return bound ? m_random() % bound : 0; }

private:
    void MutateOnce(std::string& input, const FuzzTarget& target);
    const std::string& Pick(const std::vector<std::string>& items) {
        return items[Below(items.size())];
    }

    std::mt19937_64 m_random;
};

// Inputs grow by repetition, but never beyond this.
constexpr size_t kMaxInputSize = 1 << 20;
