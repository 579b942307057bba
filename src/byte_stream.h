#pragma once

// The two ends the program's text passes through. The console supplies the
// real ones; tests supply their own, so that nothing needs a process.

#include <cstddef>
#include <span>
#include <string_view>

class byte_source {
 public:
  // Fills the front of `into` with the next bytes and returns how many; 0
  // means the input has ended or can no longer be read. May block.
  virtual std::size_t read(std::span<char> into) = 0;

 protected:
  ~byte_source() = default;
};

class byte_sink {
 public:
  // Delivers all of `bytes`, or returns false if any of them could not be.
  virtual bool write(std::string_view bytes) = 0;

 protected:
  ~byte_sink() = default;
};
