#pragma once

// In-memory ends for the tests: input handed over in pieces of a chosen
// size, output collected into a string or refused on demand, and the
// answers a whole input holds.

#include <algorithm>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "byte_stream.h"
#include "count_reader.h"

// Delivers `pieces` one read each (cut further if a read asks for less),
// then reports the end.
class piece_source final : public byte_source {
 public:
  explicit piece_source(std::vector<std::string> pieces) : pieces_(std::move(pieces)) {}

  // The whole of `input` in pieces of `size` bytes.
  static piece_source chunked(std::string_view input, std::size_t size) {
    std::vector<std::string> pieces;
    for (std::size_t at = 0; at < input.size(); at += size) {
      pieces.emplace_back(input.substr(at, size));
    }
    return piece_source(std::move(pieces));
  }

  std::size_t read(std::span<char> into) override {
    ++reads;
    if (piece_ == pieces_.size()) {
      return 0;
    }
    const std::string& piece = pieces_[piece_];
    const std::size_t n = std::min(into.size(), piece.size() - offset_);
    std::copy_n(piece.begin() + static_cast<std::ptrdiff_t>(offset_), n, into.begin());
    offset_ += n;
    if (offset_ == piece.size()) {
      ++piece_;
      offset_ = 0;
    }
    return n;
  }

  int reads = 0;

 private:
  std::vector<std::string> pieces_;
  std::size_t piece_ = 0;
  std::size_t offset_ = 0;
};

// `token` over and over, `total` bytes of it, as a stream that keeps on
// coming for far longer than a reader that stops in time would read.
class repeating_source final : public byte_source {
 public:
  repeating_source(std::string token, std::size_t total)
      : token_(std::move(token)), total_(total) {}

  std::size_t read(std::span<char> into) override {
    const std::size_t n = std::min(into.size(), total_ - delivered);
    std::generate_n(into.begin(), n, [this] { return token_[delivered++ % token_.size()]; });
    return n;
  }

  std::size_t delivered = 0;

 private:
  std::string token_;
  std::size_t total_;
};

// Collects what it is given; refuses every write from the `fail_from`th on.
class string_sink final : public byte_sink {
 public:
  explicit string_sink(int fail_from = -1) : fail_from_(fail_from) {}

  bool write(std::string_view bytes) override {
    if (writes++ == fail_from_ || refusing_) {
      refusing_ = true;
      return false;
    }
    text.append(bytes);
    return true;
  }

  std::string text;
  int writes = 0;

 private:
  int fail_from_;
  bool refusing_ = false;
};

// Every answer `source` holds, up to its end.
inline std::vector<answer> read_all(byte_source& source, std::span<char> buffer) {
  count_reader reader(source, buffer);
  std::vector<answer> answers;
  for (answer a = reader.next(); a.kind != answer_kind::end_of_input; a = reader.next()) {
    answers.push_back(a);
  }
  return answers;
}
