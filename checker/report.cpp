#include "checker/report.h"

#include "checks/rules.h"

#include <nlohmann/json.hpp>

#include <array>

namespace checker {

namespace {

const char* const kYearNames[kYearCount] = {"Běžný rok", "Minulý rok"};
const char* const kYearKeys[kYearCount] = {"current", "previous"};

const std::string& Caption(int rule)
{
    static const auto captions = [] {
        std::array<std::string, kRuleCount> out;
        for (int r = 0; r < kRuleCount; ++r)
            out[static_cast<std::size_t>(r)] = Utf8(g_ruleCaptions[static_cast<std::size_t>(r)]);
        return out;
    }();
    return captions[static_cast<std::size_t>(rule)];
}

const char* FormName(Form form)
{
    return form == Form::Header ? "Hlavička" : "Objednavatel";
}

const char* FormKey(Form form)
{
    return form == Form::Header ? "header" : "orderer";
}

const char* KindKey(GapKind kind)
{
    switch (kind) {
    case GapKind::MissingText: return "missing_text";
    case GapKind::IcoZero: return "ico_zero";
    case GapKind::IcoNegative: return "ico_negative";
    case GapKind::DicEmpty: return "dic_empty";
    case GapKind::NoOpinion: return "no_opinion";
    case GapKind::IcoCheckDigit: return "ico_check_digit";
    }
    return "";
}

std::string GapText(const CUzData& data, const Gap& gap)
{
    const std::string field = "položka " + FieldName(data, gap.tag);
    switch (gap.kind) {
    case GapKind::MissingText:
    case GapKind::DicEmpty: return field + " není vyplněna";
    case GapKind::IcoZero: return field + " není vyplněna (0)";
    case GapKind::IcoNegative: return field + " je záporná";
    case GapKind::NoOpinion: return field + " není vybrána";
    case GapKind::IcoCheckDigit: return field + " nemá správnou kontrolní číslici";
    }
    return field;
}

const char* StatusKey(Status status)
{
    switch (status) {
    case Status::Clean: return "ok";
    case Status::Warnings: return "warnings";
    case Status::Errors: return "errors";
    case Status::Unreadable: return "unreadable";
    }
    return "";
}

// A file name fit for a terminal: control characters and bytes that are not
// UTF-8 become '?', so a hostile name cannot steer the terminal.
std::string Printable(const std::string& s)
{
    std::string out;
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        bool ok = len != 0 && i + len <= s.size();
        for (std::size_t k = 1; ok && k < len; ++k)
            ok = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
        // C0 controls, DEL and the C1 controls (U+0080 to U+009F).
        if (ok && (c < 0x20 || c == 0x7F || (c == 0xC2 && static_cast<unsigned char>(s[i + 1]) < 0xA0)))
            ok = false;
        if (!ok) {
            out += '?';
            ++i;
        } else {
            out.append(s, i, len);
            i += len;
        }
    }
    return out;
}

void Put(std::FILE* out, const std::string& s)
{
    std::fwrite(s.data(), 1, s.size(), out);
}

class HumanWriter : public ReportWriter {
public:
    HumanWriter(std::FILE* out, const CUzData& data) : m_out(out), m_data(data) {}

    void File(const FileReport& r) override
    {
        const Status status = r.GetStatus();
        std::string s = Printable(r.path) + ": ";
        switch (status) {
        case Status::Clean: s += "v pořádku"; break;
        case Status::Warnings: s += "v pořádku, s upozorněním"; break;
        case Status::Errors: s += "obsahuje chyby"; break;
        case Status::Unreadable: s += r.readError; break;
        }
        s += '\n';
        for (const FailedRule& f : r.rules)
            s += "  " + std::string(kYearNames[f.year]) + ", pravidlo " +
                 std::to_string(f.rule + 1) + ": " + Caption(f.rule) + '\n';
        for (const FormGap& g : r.gaps)
            s += "  " + std::string(FormName(g.form)) +
                 (IsWarning(g.gap.kind) ? ", upozornění: " : ", chyba: ") + GapText(m_data, g.gap) +
                 '\n';
        if (!r.textError.empty())
            s += "  Text " + Printable(r.textFile) + ", chyba: " + r.textError + '\n';
        else if (!r.textFile.empty())
            s += "  Text: " + Printable(r.textFile) + '\n';
        Put(m_out, s);
    }

    void End(const Summary& sum) override
    {
        std::fprintf(m_out, "\nSouborů: %d, v pořádku: %d, s chybami: %d, nečitelných: %d\n",
                     sum.files, sum.clean, sum.errors, sum.unreadable);
    }

private:
    std::FILE* m_out;
    const CUzData& m_data;
};

class CsvWriter : public ReportWriter {
public:
    CsvWriter(std::FILE* out, const CUzData& data, bool withText)
        : m_out(out), m_data(data), m_withText(withText)
    {
    }

    void Begin() override
    {
        Row({"file", "status", "read_error", "current_rules", "current_captions",
             "previous_rules", "previous_captions", "error_tags", "errors", "warning_tags",
             "warnings", "text_file", "text_error"});
    }

    void File(const FileReport& r) override
    {
        std::string rules[kYearCount], captions[kYearCount];
        for (const FailedRule& f : r.rules) {
            Join(rules[f.year], " ", std::to_string(f.rule + 1));
            Join(captions[f.year], "; ", Caption(f.rule));
        }
        std::string tags[2], texts[2]; // errors, warnings
        for (const FormGap& g : r.gaps) {
            const int w = IsWarning(g.gap.kind) ? 1 : 0;
            Join(tags[w], " ", std::to_string(g.gap.tag));
            Join(texts[w], "; ", std::string(FormName(g.form)) + ": " + GapText(m_data, g.gap));
        }
        Row({r.path, StatusKey(r.GetStatus()), r.readError, rules[0], captions[0], rules[1],
             captions[1], tags[0], texts[0], tags[1], texts[1], r.textFile, r.textError});
    }

    void End(const Summary&) override {}

private:
    static void Join(std::string& list, const char* separator, const std::string& item)
    {
        if (!list.empty())
            list += separator;
        list += item;
    }

    // One line of fields, quoted where needed, ended by CR LF. Without
    // --text the two text columns are left out.
    void Row(std::initializer_list<std::string> fields)
    {
        std::string line;
        std::size_t n = 0;
        const std::size_t count = fields.size() - (m_withText ? 0 : 2);
        for (const std::string& f : fields) {
            if (n++ == count)
                break;
            if (n > 1)
                line += ',';
            if (f.find_first_of(",\"\r\n") == std::string::npos) {
                line += f;
                continue;
            }
            line += '"';
            for (char c : f)
                line += c == '"' ? std::string("\"\"") : std::string(1, c);
            line += '"';
        }
        Put(m_out, line + "\r\n");
    }

    std::FILE* m_out;
    const CUzData& m_data;
    bool m_withText;
};

class JsonWriter : public ReportWriter {
public:
    JsonWriter(std::FILE* out, const CUzData& data, bool withText)
        : m_out(out), m_data(data), m_withText(withText)
    {
    }

    void Begin() override { Put(m_out, "{\"files\": ["); }

    void File(const FileReport& r) override
    {
        using json = nlohmann::ordered_json;
        json rules = {{"current", json::array()}, {"previous", json::array()}};
        for (const FailedRule& f : r.rules)
            rules[kYearKeys[f.year]].push_back({{"rule", f.rule + 1}, {"caption", Caption(f.rule)}});
        json gaps = json::array();
        for (const FormGap& g : r.gaps)
            gaps.push_back({{"form", FormKey(g.form)},
                            {"tag", g.gap.tag},
                            {"kind", KindKey(g.gap.kind)},
                            {"severity", IsWarning(g.gap.kind) ? "warning" : "error"},
                            {"field", FieldName(m_data, g.gap.tag)},
                            {"text", GapText(m_data, g.gap)}});
        json record = {{"file", r.path},
                       {"status", StatusKey(r.GetStatus())},
                       {"read_error", r.readError.empty() ? json() : json(r.readError)},
                       {"rules", rules},
                       {"gaps", gaps}};
        if (m_withText) {
            record["text_file"] = r.textFile.empty() ? json() : json(r.textFile);
            record["text_error"] = r.textError.empty() ? json() : json(r.textError);
        }
        // File names are bytes; what is not UTF-8 is shown as U+FFFD.
        Put(m_out, (m_first ? "\n" : ",\n") +
                       record.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace));
        m_first = false;
    }

    void End(const Summary& sum) override
    {
        const nlohmann::ordered_json summary = {{"files", sum.files},
                                        {"clean", sum.clean},
                                        {"errors", sum.errors},
                                        {"unreadable", sum.unreadable}};
        Put(m_out, "\n], \"summary\": " + summary.dump() + "}\n");
    }

private:
    std::FILE* m_out;
    const CUzData& m_data;
    bool m_withText;
    bool m_first = true;
};

} // namespace

void Summary::Add(Status status)
{
    ++files;
    switch (status) {
    case Status::Clean:
    case Status::Warnings: ++clean; break;
    case Status::Errors: ++errors; break;
    case Status::Unreadable: ++unreadable; break;
    }
}

std::unique_ptr<ReportWriter> MakeWriter(Format format, std::FILE* out, const CUzData& data,
                                         bool withText)
{
    switch (format) {
    case Format::Csv: return std::make_unique<CsvWriter>(out, data, withText);
    case Format::Json: return std::make_unique<JsonWriter>(out, data, withText);
    case Format::Human: break;
    }
    return std::make_unique<HumanWriter>(out, data);
}

} // namespace checker
