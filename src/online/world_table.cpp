#include "online/world_table.h"

#include <filesystem>

namespace klv {

std::string InfEncode(std::string_view plain) {
  const std::size_t bits = plain.size() * 8;
  const std::size_t lead = (5 - bits % 5) % 5;  // zero bits put in front
  const std::size_t total = bits + lead;
  std::string out;
  out.reserve(total / 5);
  auto bitAt = [&](std::size_t i) -> unsigned {
    if (i < lead) return 0;
    const std::size_t b = i - lead;
    return (static_cast<unsigned char>(plain[b / 8]) >> (7 - b % 8)) & 1u;
  };
  for (std::size_t i = 0; i < total; i += 5) {
    unsigned v = 0;
    for (std::size_t k = 0; k < 5; ++k) v = (v << 1) | bitAt(i + k);
    out.push_back(kInfAlphabet[v]);
  }
  return out;
}

std::optional<std::string> InfDecode(std::string_view encoded) {
  if (encoded.size() % 8 != 0) return std::nullopt;
  std::string out;
  out.reserve(encoded.size() / 8 * 5);
  for (std::size_t g = 0; g < encoded.size(); g += 8) {
    uint64_t acc = 0;
    for (std::size_t k = 0; k < 8; ++k) {
      const std::size_t v = kInfAlphabet.find(encoded[g + k]);
      if (v == std::string_view::npos) return std::nullopt;
      acc = (acc << 5) | v;
    }
    for (int k = 4; k >= 0; --k) out.push_back(static_cast<char>((acc >> (8 * k)) & 0xFF));
  }
  return out;
}

VersionAnswer ParseVersionAnswer(std::string_view answer) {
  VersionAnswer a;
  a.Ok = answer.substr(0, 2) == "OK";
  std::string_view rest = answer;
  for (int field = 1; field <= 5; ++field) {
    const std::size_t bar = rest.find('|');
    if (bar == std::string_view::npos) return a;  // fewer than five "|": p stays empty
    if (field == 5) a.P = std::string(rest.substr(0, bar));
    rest.remove_prefix(bar + 1);
  }
  return a;
}

std::string BuildScoreRecord(std::string_view name, uint32_t score, std::string_view p,
                             std::string_view addText) {
  std::string r = "type=0";
  r += "|name=";
  r += name.substr(0, kMaxRecordName);
  r += "|score=";
  r += std::to_string(score);
  r += "|key=";
  r += kScoreKey;
  r += "|p=";
  r += p;
  r += "|add=";
  r += addText.substr(0, kMaxRecordAdd);
  r += "|z=";
  while (r.size() % 5 != 0) r += '0';
  return r;
}

namespace {

std::string ServiceUrl(std::string_view base, std::string_view query,
                       std::string_view path = kServicePath) {
  std::string url(base);
  while (!url.empty() && url.back() == '/') url.pop_back();
  url += path;
  url += '?';
  url += query;
  return url;
}

}  // namespace

std::string VersionQueryUrl(std::string_view base) {
  return ServiceUrl(base, "version&prg=" + std::string(kProductCode));
}

std::string ScoreQueryUrl(std::string_view base, std::string_view encodedRecord) {
  return ServiceUrl(base,
                    "hs&prg=" + std::string(kProductCode) + "&inf=" + std::string(encodedRecord));
}

std::string ReplayUploadUrl(std::string_view base, std::string_view token) {
  // The token is the service's text, sent back percent-encoded byte for byte.
  std::string p;
  for (const char c : token) {
    const auto u = static_cast<unsigned char>(c);
    if ((u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z')) {
      p += c;
    } else {
      static const char* hex = "0123456789ABCDEF";
      p += {'%', hex[u >> 4], hex[u & 15]};
    }
  }
  return ServiceUrl(base, "prg=" + std::string(kProductCode) + "&p=" + p, kReplayPath);
}

const char* ScoreRefusedText() {
  return "Мировая таблица не приняла результат";
}

std::string WorldTableUrl(std::string_view base) {
  return ServiceUrl(base, "prg=" + std::string(kProductCode) + "&show&type=0");
}

const char* NoWorldTableText() {
  return "Мировая таблица не настроена.\n"
         "Её адрес задаётся строкой score-service = URL\n"
         "в файле ~/.config/klevaria/settings.";
}

void OpenWorldTable(std::string_view base,
                    const std::function<void(const std::string&)>& openWithShell) {
  openWithShell(WorldTableUrl(base));
}

bool IsLinkFile(const std::string& path) {
  std::error_code ec;
  const std::filesystem::file_status st = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::is_regular_file(st)) return false;
  using std::filesystem::perms;
  return (st.permissions() & (perms::owner_exec | perms::group_exec | perms::others_exec)) ==
         perms::none;
}

namespace {

void OpenLink(const std::string& appDir, const char* name,
              const std::function<bool(const std::string&)>& isLink,
              const std::function<void(const std::string&)>& openWithShell) {
  // Without the game's folder there is nowhere safe to look.
  if (appDir.empty() || appDir.front() != '/') return;
  std::string path = appDir;
  if (path.back() != '/') path += '/';
  path += name;
  if (isLink(path)) openWithShell(path);
}

}  // namespace

void OpenMoreGames(const std::string& appDir, const std::function<bool(const std::string&)>& isLink,
                   const std::function<void(const std::string&)>& openWithShell) {
  OpenLink(appDir, "moregames.url", isLink, openWithShell);
}

void OpenExitLinks(const std::string& appDir, const std::function<bool(const std::string&)>& isLink,
                   const std::function<void(const std::string&)>& openWithShell) {
  OpenLink(appDir, "play.url", isLink, openWithShell);
}

}  // namespace klv
