#include "fuzz.h"

std::string Mutator::Mutate(std::string input, const FuzzTarget& target) {
    const size_t edits = 1 + Below(2);
    for (size_t i = 0; i < edits; ++i) MutateOnce(input, target);
    if (input.size() > kMaxInputSize) input.resize(kMaxInputSize);
    return input;
}

void Mutator::MutateOnce(std::string& input, const FuzzTarget& target) {
    const size_t at = Below(input.size() + 1);
    switch (Below(8)) {
        case 0:  // one byte changed
            if (!input.empty()) input[Below(input.size())] = static_cast<char>(Below(256));
            break;
        case 1:  // a fragment inserted
            input.insert(at, Pick(target.dictionary));
            break;
        case 2: {  // the value after a ':', ',' or '[' replaced by a fragment
            const size_t mark = input.find_first_of(":,[", at);
            if (mark == std::string::npos) break;
            const size_t end = input.find_first_of(",}]", mark + 1);
            input.replace(mark + 1, (end == std::string::npos ? input.size() : end) - mark - 1,
                          Pick(target.dictionary));
            break;
        }
        case 3:  // a range removed
            input.erase(at, Below(input.size() - at + 1));
            break;
        case 4: {  // a range repeated, up to thousands of times: inputs that cost
            const size_t length = 1 + Below(16);
            if (at + length > input.size()) break;
            const std::string range = input.substr(at, length);
            const size_t times = size_t(1) << Below(14);
            std::string repeated;
            for (size_t i = 0; i < times && repeated.size() < kMaxInputSize; ++i) repeated += range;
            input.insert(at, repeated);
            break;
        }
        case 5: {  // a fragment repeated
            const std::string& fragment = Pick(target.dictionary);
            const size_t times = size_t(1) << Below(12);
            std::string repeated;
            for (size_t i = 0; i < times && repeated.size() < kMaxInputSize; ++i)
                repeated += fragment;
            input.insert(at, repeated);
            break;
        }
        case 6: {  // spliced with a seed
            const std::string& other = Pick(target.seeds);
            input = input.substr(0, at) + other.substr(Below(other.size() + 1));
            break;
        }
        default:  // a random byte inserted
            input.insert(input.begin() + static_cast<std::ptrdiff_t>(at),
                         static_cast<char>(Below(256)));
            break;
    }
}
