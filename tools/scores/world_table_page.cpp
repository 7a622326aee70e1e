#include "world_table_page.h"

#include <ctime>

#include "online/score_record.h"

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
</style>
</head>
<body>
<main>
<h1>Клевария</h1>
<p class="note">Мировая таблица рекордов: лучшие 100 результатов (время UTC).</p>
)";

constexpr const char* kTableHead = R"(<table>
<thead><tr><th class="num">Место</th><th>Имя</th><th class="num">Очки</th><th>Текст</th><th>Дата</th></tr></thead>
<tbody>
)";

constexpr const char* kTail = R"(</tbody>
</table>
</main>
</body>
</html>
)";

}  // namespace

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
  html += kTableHead;
  if (rows.empty()) {
    html += "<tr><td class=\"empty\" colspan=\"5\">Пока нет ни одного результата.</td></tr>\n";
  }
  int rank = 0;
  for (const StoredScore& r : rows) {
    ++rank;
    html += rank == 1 ? "<tr class=\"first\">" : "<tr>";
    html += "<td class=\"rank\">" + std::to_string(rank) + "</td>";
    html += "<td class=\"name\">" + HtmlEscape(r.Name) + "</td>";
    html += "<td class=\"score\">" + std::to_string(r.Score) + "</td>";
    html += "<td class=\"add\">" + HtmlEscape(r.Add) + "</td>";
    html += "<td class=\"date\">" + FormatDate(r.Submitted) + "</td></tr>\n";
  }
  html += kTail;
  return html;
}

}  // namespace klv::scores
