#pragma once
// What every fuzz target shares: one private temporary folder per process for
// the files a target makes from its input, plain byte-exact file helpers for
// that folder, and Require(), which stops the process (a finding for the
// fuzzer, a failed run for the replay) when an expectation does not hold.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace q64::fuzz {

using Bytes = std::vector<std::uint8_t>;

// The process's own folder (mode 0700, made on first use under $TMPDIR or
// /tmp, removed with its contents at exit). Every call to Scratch() empties
// it first, so each input starts from nothing.
const std::string& Scratch();
// Full path of `name` inside the folder.
std::string InScratch(const std::string& name);
// Names in the folder, sorted.
std::vector<std::string> ScratchNames();

// Creates `name` in the folder (exclusively, never through a link) holding `bytes`.
std::string PutFile(const std::string& name, const std::uint8_t* data, std::size_t size);
std::string PutFile(const std::string& name, const Bytes& bytes);
// The whole file; empty when it cannot be read.
Bytes GetFile(const std::string& path);

// `size` bytes of a fixed pattern (byte i is i * 7 + i / 256), the same in
// every target and in the seed maker.
Bytes PatternBytes(std::size_t size);
// The size of the source the BPS target applies patch bodies to.
constexpr std::size_t kBpsSourceSize = 1024;

// Prints `what` and aborts when `condition` is false.
void Require(bool condition, const char* what);

} // namespace q64::fuzz

// The entry point every target defines; libFuzzer or the replay driver calls it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
