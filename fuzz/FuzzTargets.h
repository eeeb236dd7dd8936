#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>

// Entry points shared by the libFuzzer binaries and the corpus replay test.
// Each writes the input bytes to a scratch file owned by the process (made on
// first use, rewritten for every input, removed at exit), runs the readers on
// that file and compares every result with an independent reading of the same
// bytes. A broken property throws PropertyViolation; anything else the code
// under test throws propagates unchanged.

// what() names the property and shows the values that broke it.
class PropertyViolation : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// The bytes as a text file for FileParser: both forms of parseLines, tokenize
// (and tokenizeLine on the whole input) and the numeric token conversions.
void fuzzTokenizer(const uint8_t* data, size_t size);

// The bytes as a matrix file: Matrix(filename), operator[], getMatn, getMat3.
void fuzzMatrixFile(const uint8_t* data, size_t size);

// For LLVMFuzzerTestOneInput: runs target on the input and, on a
// PropertyViolation, prints what() to stderr and aborts so that libFuzzer
// records the input as a crash. Returns 0.
int runFuzzTarget(void (*target)(const uint8_t*, size_t), const uint8_t* data, size_t size);
