#include "world_table_page.h"

#include <ctime>

#include "online/score_record.h"
#include "online/world_table.h"

namespace klv::scores {

namespace {

std::string FormatDate(int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  if (gmtime_r(&t, &tm) == nullptr) return "";
  char buf[32];
  std::strftime(buf, sizeof buf, "%d.%m.%Y %H:%M", &tm);
  return buf;
}

std::string IsoTime(int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  if (gmtime_r(&t, &tm) == nullptr) return "";
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return buf;
}

constexpr const char* kHead = R"(<!DOCTYPE html>
<html lang="ru">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Клевария — мировая таблица рекордов</title>
<style>
  body { margin: 0; font-family: "Liberation Sans", Arial, sans-serif; color: #12324a;
         background: linear-gradient(#bfe6ff, #2a7fc0 60%, #124a7a); min-height: 100vh; }
  main { max-width: 860px; margin: 0 auto; padding: 32px 16px; }
  h1 { margin: 0 0 4px; font-size: 32px; color: #ffd200; text-shadow: 1px 2px 0 #124a7a; }
  p.note { margin: 0 0 20px; color: #0d3553; }
  p.stale { margin: 0 0 20px; padding: 8px 12px; background: #fff3c4; border-radius: 8px; }
  table { width: 100%; border-collapse: collapse; background: rgba(255,255,255,0.92);
          border-radius: 8px; overflow: hidden; box-shadow: 0 4px 16px rgba(0,0,0,0.25); }
  th, td { padding: 8px 12px; text-align: left; border-bottom: 1px solid #d5e7f3; }
  th { background: #124a7a; color: #ffd200; font-weight: bold; }
  td.rank, td.score, th.num { text-align: right; font-variant-numeric: tabular-nums; }
  td.score { font-weight: bold; }
  tr:nth-child(even) td { background: #eef7fd; }
  tr.first td { color: #c00000; }
  td.empty { text-align: center; padding: 24px; }
  h2 { margin: 28px 0 4px; font-size: 22px; color: #ffd200; text-shadow: 1px 2px 0 #124a7a; }
  td.proof { white-space: nowrap; }
  td.proof a { color: #124a7a; }
  span.verified { color: #1b7a2a; font-weight: bold; }
  span.unverified { color: #7a5a1b; font-style: italic; }
  table.unverified td { color: #51616d; }
</style>
</head>
<body>
<main>
<h1>Клевария</h1>
<p class="note">Мировая таблица рекордов: лучшие 100 результатов (время UTC). Результат
«проверено» подтверждён записью игры: сервер сыграл её заново. Запись можно скачать и
посмотреть: klevaria --replay ФАЙЛ.</p>
)";

constexpr const char* kTableHead =
    R"(<thead><tr><th class="num">Место</th><th>Имя</th><th class="num">Очки</th><th>Текст</th><th>Дата</th><th>Проверка</th></tr></thead>
<tbody>
)";

constexpr const char* kTableTail = "</tbody>\n</table>\n";

constexpr const char* kUnverifiedHead = R"(<h2>Не проверено</h2>
<p class="note">Эти результаты пришли без записи игры или запись их не подтвердила.</p>
)";

constexpr const char* kTail = R"(</main>
</body>
</html>
)";

void AddRow(std::string& html, const StoredScore& r, int rank) {
  html += rank == 1 ? "<tr class=\"first\">" : "<tr>";
  html += "<td class=\"rank\">" + std::to_string(rank) + "</td>";
  html += "<td class=\"name\">" + HtmlEscape(r.Name) + "</td>";
  html += "<td class=\"score\">" + std::to_string(r.Score) + "</td>";
  html += "<td class=\"add\">" + HtmlEscape(r.Add) + "</td>";
  html += "<td class=\"date\">" + FormatDate(r.Submitted) + "</td>";
  if (r.Verified) {
    // The page lives at /cgi/version.pl: the replay beside it.
    html +=
        "<td class=\"proof\"><span class=\"verified\">проверено</span> <a href=\"replay.pl?prg=" +
        std::string(kProductCode) + "&amp;id=" + std::to_string(r.Id) +
        "\" download>запись</a></td></tr>\n";
  } else {
    html += "<td class=\"proof\"><span class=\"unverified\">не проверено</span></td></tr>\n";
  }
}

}  // namespace

std::string JsonEscape(std::string_view utf8) {
  std::string out;
  for (const char c : utf8) {
    const auto u = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        // Controls, and what a page embedding the text might read as markup.
        if (u < 0x20 || c == '<' || c == '>' || c == '&') {
          static const char* hex = "0123456789abcdef";
          out += "\\u00";
          out += hex[u >> 4];
          out += hex[u & 15];
        } else {
          out += c;
        }
    }
  }
  return out;
}

std::string RenderWorldTableJson(const std::vector<StoredScore>& rows) {
  std::string json = "{\"rows\":[";
  int rank = 0;
  for (const StoredScore& r : rows) {
    if (rank > 0) json += ",";
    json += "\n{\"rank\":" + std::to_string(++rank) + ",\"name\":\"" + JsonEscape(r.Name) +
            "\",\"score\":" + std::to_string(r.Score) +
            ",\"verified\":" + (r.Verified ? "true" : "false") + ",\"date\":\"" +
            IsoTime(r.Submitted) + "\"";
    if (r.Verified)
      json += ",\"replay\":\"replay.pl?prg=" + std::string(kProductCode) +
              "&id=" + std::to_string(r.Id) + "\"";
    json += "}";
  }
  json += "\n]}\n";
  return json;
}

std::string RenderWorldTablePage(const std::vector<StoredScore>& rows, int64_t readAt,
                                 int64_t now) {
  std::string html = kHead;
  if (readAt != 0) {
    const int64_t minutes = (now > readAt ? now - readAt : 0) / 60;
    html +=
        "<p class=\"stale\">Сервер рекордов сейчас не отвечает: таблица показана такой, "
        "какой была " +
        FormatDate(readAt) + " (" + std::to_string(minutes) + " мин. назад).</p>\n";
  }
  // The proven entries first, ranked; the rest apart, below them.
  int rank = 0;
  html += "<table class=\"verified\">\n";
  html += kTableHead;
  int shown = 0;
  for (const StoredScore& r : rows) {
    if (!r.Verified) continue;
    AddRow(html, r, ++rank);
    ++shown;
  }
  if (shown == 0) {
    html += rows.empty() ? "<tr><td class=\"empty\" colspan=\"6\">Пока нет ни одного "
                           "результата.</td></tr>\n"
                         : "<tr><td class=\"empty\" colspan=\"6\">Пока нет ни одного "
                           "проверенного результата.</td></tr>\n";
  }
  html += kTableTail;
  bool unverified = false;
  for (const StoredScore& r : rows) {
    if (r.Verified) continue;
    if (!unverified) {
      html += kUnverifiedHead;
      html += "<table class=\"unverified\">\n";
      html += kTableHead;
      unverified = true;
    }
    AddRow(html, r, ++rank);
  }
  if (unverified) html += kTableTail;
  html += kTail;
  return html;
}

}  // namespace klv::scores
