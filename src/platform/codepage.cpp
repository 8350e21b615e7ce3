// Code-page conversion through iconv.
// Layer: platform (plain C++, no Qt).
#include "platform/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace kelmore::platform {
namespace {

constexpr std::string_view kDefaultCodePage = "CP932";

class Converter {
 public:
  Converter(const std::string& to, const std::string& from) : cd_(iconv_open(to.c_str(), from.c_str())) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // What a lossy conversion does where the text cannot go over as written: skips `skip(rest)` input bytes
  // (at least one), appends `replacement`, and records the input offset in `lost` when given.
  struct Replacing {
    std::string_view replacement;
    std::size_t (*skip)(std::string_view rest);
    std::vector<std::size_t>* lost = nullptr;
  };

  // Converts `in`, replacing what cannot go over as written.
  std::string run(std::string_view in, const Replacing& replacing) { return *convert(in, &replacing); }

  // Converts `in` whole; nothing on the first character that cannot be converted.
  std::optional<std::string> exact(std::string_view in) { return convert(in, nullptr); }

 private:
  // The one conversion loop. Without `replacing` it gives up where `run` would replace, and on a character
  // iconv replaced by a look-alike (a positive count), which `run` keeps.
  std::optional<std::string> convert(std::string_view in, const Replacing* replacing) {
    std::string out;
    out.reserve(in.size() * 2);
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char buffer[256];
    while (srcLeft > 0) {
      char* dst = buffer;
      std::size_t dstLeft = sizeof buffer;
      const std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      out.append(buffer, static_cast<std::size_t>(dst - buffer));
      if (r != static_cast<std::size_t>(-1)) {
        // A positive count is a character iconv replaced by a look-alike: not the text as written.
        if (r > 0 && !replacing) return std::nullopt;
        continue;
      }
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL (a truncated sequence at the end): give up, or replace and go on after it.
      if (!replacing) return std::nullopt;
      const std::size_t skip =
          std::min(srcLeft, std::max<std::size_t>(1, replacing->skip(std::string_view(src, srcLeft))));
      if (replacing->lost) replacing->lost->push_back(in.size() - srcLeft);
      src += skip;
      srcLeft -= skip;
      out.append(replacing->replacement);
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    // What a stateful code page still holds back.
    char* dst = buffer;
    std::size_t dstLeft = sizeof buffer;
    iconv(cd_, nullptr, nullptr, &dst, &dstLeft);
    out.append(buffer, static_cast<std::size_t>(dst - buffer));
    return out;
  }

  iconv_t cd_;
};

// Length of the UTF-8 sequence that starts `s`, so one unconvertible character becomes one "?".
std::size_t utf8SequenceLength(std::string_view s) {
  const auto lead = static_cast<unsigned char>(s[0]);
  std::size_t n = lead < 0x80           ? 1
                  : (lead >> 5) == 0x6  ? 2
                  : (lead >> 4) == 0xE  ? 3
                  : (lead >> 3) == 0x1E ? 4
                                        : 1;
  for (std::size_t i = 1; i < n; ++i)
    if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return i;
  return n;
}

}  // namespace

std::string codePageName() {
  const char* name = std::getenv("KELMORE_CODEPAGE");
  return name && *name ? std::string(name) : std::string(kDefaultCodePage);
}

std::string toCodePage(std::string_view utf8) {
  return encodeToCodePage(utf8).bytes;
}

Encoded encodeToCodePage(std::string_view utf8) {
  Converter converter(codePageName(), "UTF-8");
  if (!converter.ok()) throw std::runtime_error("unknown code page " + codePageName());
  Encoded encoded;
  encoded.bytes = converter.run(utf8, {"?", utf8SequenceLength, &encoded.lost});
  return encoded;
}

std::optional<std::string> toCodePageExact(std::string_view utf8) {
  // One converter a thread, opened again only when the code page in force changes.
  thread_local std::unique_ptr<Converter> converter;
  thread_local std::string converterPage;
  const std::string page = codePageName();
  if (!converter || page != converterPage) {
    converter = std::make_unique<Converter>(page, "UTF-8");
    converterPage = page;
  }
  if (!converter->ok()) throw std::runtime_error("unknown code page " + page);
  return converter->exact(utf8);
}

std::string fromCodePage(std::string_view bytes) {
  Converter converter("UTF-8", codePageName());
  if (!converter.ok()) throw std::runtime_error("unknown code page " + codePageName());
  return converter.run(bytes, {"\xEF\xBF\xBD", [](std::string_view) { return std::size_t{1}; }});
}

}  // namespace kelmore::platform
