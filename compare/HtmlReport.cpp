#include "compare/HtmlReport.h"

#include "base/Cp1251.h"

#include <cstdio>

namespace {

const char* const kSectionNames[CCompareObserver::SECTION_COUNT] = {"Каталоги", "Реестр", "Файлы настройки",
                                                                   "DOS-файлы"};

const char* ClassOf(CCompareObserver::LineKind kind)
{
    switch (kind) {
    case CCompareObserver::LINE_SECTION: return "line section";
    case CCompareObserver::LINE_ENTRY: return "line entry";
    case CCompareObserver::LINE_CREATED: return "line created";
    case CCompareObserver::LINE_DELETED: return "line deleted";
    case CCompareObserver::LINE_CHANGED: return "line changed";
    default: return "line note";
    }
}

const char kStyle[] =
    "body{font-family:Tahoma,Verdana,Arial,sans-serif;font-size:14px;margin:24px;color:#202020;background:#fff}\n"
    "h1{font-size:20px;margin:0 0 16px}\n"
    "table{border-collapse:collapse;margin:0 0 18px}\n"
    "th,td{border:1px solid #c8c8c8;padding:4px 10px;text-align:left}\n"
    "th{background:#eef1f5}\n"
    "td.n{text-align:right;font-variant-numeric:tabular-nums}\n"
    "h2.line{font-size:16px;margin:22px 0 6px;padding-bottom:3px;border-bottom:1px solid #c8c8c8}\n"
    "div.line{font-family:Consolas,'Courier New',monospace;white-space:pre-wrap;padding:1px 0 1px 18px}\n"
    "div.entry{font-weight:bold;padding-left:6px;margin-top:8px}\n"
    "div.note{color:#707070}\n"
    ".created{color:#1a7f37}\n"
    ".deleted{color:#c62828}\n"
    ".changed{color:#8a5a00}\n"
    "td.created,td.deleted,td.changed{font-weight:bold}\n";

} // namespace

CHtmlReport::CHtmlReport() : m_reports(), m_bHeaders(false) {}

std::string CHtmlReport::Escape(const std::string& cp1251)
{
    std::string out;
    for (char c : Cp1251ToUtf8(cp1251)) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c; break;
        }
    }
    return out;
}

std::string CHtmlReport::Time(const WORD* t)
{
    char text[48];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u UTC", t[0], t[1], t[3], t[4], t[5], t[6]);
    return text;
}

void CHtmlReport::OnReports(const ReportHeader& older, const ReportHeader& newer)
{
    m_reports[0] = older;
    m_reports[1] = newer;
    m_bHeaders = true;
    m_lines.clear();
}

void CHtmlReport::OnLine(LineKind kind, int section, const std::string& text)
{
    m_lines.push_back({kind, section, text});
}

unsigned CHtmlReport::Count(int section, LineKind kind) const
{
    unsigned n = 0;
    for (const Line& l : m_lines)
        n += l.section == section && l.kind == kind;
    return n;
}

std::string CHtmlReport::Page() const
{
    // The program's own texts are code page 1251 too: every one goes through Escape.
    const std::string title = Escape("Zelmora: сравнение отчетов");
    std::string p = "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + title +
                    "</title>\n<style>\n";
    p += kStyle;
    p += "</style>\n</head>\n<body>\n<h1>" + title + "</h1>\n";
    if (m_bHeaders) {
        p += "<table class=\"reports\">\n<tr><th></th><th>" + Escape("Отчет") + "</th><th>" +
             Escape("Время сканирования") + "</th></tr>\n";
        const char* const roles[2] = {"Старый", "Новый"};
        for (int k = 0; k < 2; k++)
            p += "<tr><td>" + Escape(roles[k]) + "</td><td>" + Escape(m_reports[k].path) + "</td><td>" +
                 Time(m_reports[k].time) + "</td></tr>\n";
        p += "</table>\n";
        p += "<table class=\"summary\">\n<tr><th>" + Escape("Раздел") + "</th><th>" + Escape("Создано") +
             "</th><th>" + Escape("Удалено") + "</th><th>" + Escape("Изменено") + "</th></tr>\n";
        for (int s = 0; s < SECTION_COUNT; s++) {
            p += "<tr><td>" + Escape(kSectionNames[s]) + "</td>";
            const LineKind kinds[3] = {LINE_CREATED, LINE_DELETED, LINE_CHANGED};
            const char* const classes[3] = {"created", "deleted", "changed"};
            for (int k = 0; k < 3; k++) {
                unsigned n = Count(s, kinds[k]);
                p += std::string("<td class=\"n") + (n ? std::string(" ") + classes[k] : "") + "\">" +
                     std::to_string(n) + "</td>";
            }
            p += "</tr>\n";
        }
        p += "</table>\n";
    }
    // Every line of the comparison, in order: the headings as headings.
    for (const Line& l : m_lines) {
        const char* tag = l.kind == LINE_SECTION ? "h2" : "div";
        p += std::string("<") + tag + " class=\"" + ClassOf(l.kind) + "\">" + Escape(l.text) + "</" + tag + ">\n";
    }
    p += "</body>\n</html>\n";
    return p;
}
