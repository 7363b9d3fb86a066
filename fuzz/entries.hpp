#pragma once

#include <cstddef>
#include <cstdint>

// One entry function per input surface, each taking one input as libFuzzer hands it
// over. Every input returns 0: what the program refuses it refuses with its own error.
// A crash, a sanitizer report, an exception of another kind or an abort is a finding.
namespace fuzz {

// A .docx package as zip bytes, loaded and read as `docx-loom text` reads it.
int package_text(const std::uint8_t* data, std::size_t size);
// A main document part, dry-run and filled with a small fixed plan and saved; the
// saved part must parse again, and strictly so when the input did.
int fill(const std::uint8_t* data, std::size_t size);
// A JSON plan, read as `docx-loom fill` reads it and applied to a small document; what
// is saved must parse strictly.
int plan(const std::uint8_t* data, std::size_t size);
// A JSON receipt request, read as the worker reads a batch line.
int request(const std::uint8_t* data, std::size_t size);

}  // namespace fuzz
