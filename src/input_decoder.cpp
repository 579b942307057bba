#include "input_decoder.h"

#include <algorithm>
#include <string_view>

namespace {

constexpr std::string_view utf8_mark = "\xEF\xBB\xBF";
constexpr std::string_view utf16le_mark = "\xFF\xFE";
constexpr std::string_view utf16be_mark = "\xFE\xFF";
constexpr std::size_t longest_mark = utf8_mark.size();

// Whether more bytes could still make `head` a byte-order mark.
bool could_become_a_mark(std::string_view head) {
  return std::ranges::any_of(std::array{utf8_mark, utf16le_mark, utf16be_mark},
                             [head](std::string_view mark) {
                               return head.size() < mark.size() && mark.starts_with(head);
                             });
}

}  // namespace

input_decoder::input_decoder(byte_source& source, std::span<char> raw)
    : source_(source), raw_(raw) {}

std::size_t input_decoder::read(std::span<char> into) {
  if (encoding_ == encoding::unknown) {
    detect();
  }
  if (encoding_ != encoding::utf8) {
    return read_utf16(into);
  }
  if (pending_next_ < pending_end_) {
    return hand_over(into);
  }
  if (ended_) {
    return 0;
  }
  const std::size_t got = source_.read(into);
  ended_ = got == 0;
  return got;
}

// Reads no further than a mark could reach, so that a person typing at a
// terminal is never kept waiting by it.
void input_decoder::detect() {
  const std::span<char> head = std::span(pending_).first(longest_mark);
  std::size_t n = 0;
  while (could_become_a_mark({head.data(), n})) {
    const std::size_t got = source_.read(head.subspan(n));
    if (got == 0) {
      ended_ = true;
      break;
    }
    n += got;
  }
  const std::string_view seen(head.data(), n);
  encoding_ = seen.starts_with(utf16le_mark)   ? encoding::utf16le
              : seen.starts_with(utf16be_mark) ? encoding::utf16be
                                               : encoding::utf8;
  pending_next_ = 0;
  pending_end_ = 0;
  if (encoding_ != encoding::utf8) {
    for (const char c : seen.substr(utf16le_mark.size())) {  // both marks take two bytes
      decode_byte(c);
    }
  } else if (seen != utf8_mark) {
    pending_end_ = n;  // no mark: these bytes are the text's first
  }
}

std::size_t input_decoder::read_utf16(std::span<char> into) {
  std::size_t out = 0;
  while (out < into.size()) {
    if (pending_next_ < pending_end_) {
      out += hand_over(into.subspan(out));
    } else if (raw_next_ < raw_filled_) {
      decode_byte(raw_[raw_next_++]);
    } else if (out > 0) {
      break;
    } else if (!refill()) {
      decode_leftovers();
      if (pending_next_ == pending_end_) {
        break;
      }
    }
  }
  return out;
}

bool input_decoder::refill() {
  if (ended_) {
    return false;
  }
  raw_next_ = 0;
  raw_filled_ = source_.read(raw_);
  ended_ = raw_filled_ == 0;
  return !ended_;
}

void input_decoder::decode_byte(char byte) {
  if (!half_unit_) {
    first_half_ = byte;
    half_unit_ = true;
    return;
  }
  half_unit_ = false;
  const auto first = static_cast<unsigned char>(first_half_);
  const auto second = static_cast<unsigned char>(byte);
  const auto unit = static_cast<char16_t>(encoding_ == encoding::utf16le ? second << 8 | first
                                                                         : first << 8 | second);
  pending_next_ = 0;
  pending_end_ = utf16_.put(unit, pending_);
}

// A last byte on its own is half a code unit: malformed, like a surrogate
// without its partner.
void input_decoder::decode_leftovers() {
  pending_next_ = 0;
  pending_end_ = half_unit_ ? utf16_.put(u'\uFFFD', pending_) : utf16_.finish(pending_);
  half_unit_ = false;
}

std::size_t input_decoder::hand_over(std::span<char> into) {
  const std::size_t n = std::min(into.size(), pending_end_ - pending_next_);
  std::copy_n(pending_.begin() + static_cast<std::ptrdiff_t>(pending_next_), n, into.begin());
  pending_next_ += n;
  return n;
}
