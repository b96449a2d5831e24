#include "checker/report.h"

#include "checks/rules.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cerrno>
#include <vector>

namespace checker {

namespace {

const char* const kYearNames[kYearCount] = {"Běžný rok", "Minulý rok"};
const char* const kYearKeys[kYearCount] = {"current", "previous"};

} // namespace

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

namespace {

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

void Put(std::FILE* out, const std::string& s)
{
    std::fwrite(s.data(), 1, s.size(), out);
}

std::string Flush(std::FILE* out)
{
    errno = 0;
    if (std::fflush(out) == 0 && !std::ferror(out))
        return {};
    return "výsledek nelze zapsat" + (errno ? ": " + Utf8(FileErrorReason(errno)) : std::string("."));
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

    std::string End(const Summary& sum) override
    {
        std::fprintf(m_out, "\nSouborů: %d, v pořádku: %d, s chybami: %d, nečitelných: %d\n",
                     sum.files, sum.clean, sum.errors, sum.unreadable);
        return Flush(m_out);
    }

private:
    std::FILE* m_out;
    const CUzData& m_data;
};

// Key figures of a readable statement as text; none for one that is not.
std::string Number(const FileReport& r, std::int32_t value)
{
    return r.readError.empty() ? std::to_string(value) : "";
}

class CsvWriter : public ReportWriter {
public:
    CsvWriter(std::FILE* out, const CUzData& data, bool withText)
        : m_out(out), m_data(data), m_withText(withText)
    {
    }

    // Columns are only ever appended, so that scripts keep working; without
    // --text the two text columns are left out.
    void Begin() override
    {
        std::vector<std::string> heads = {
            "file", "status", "read_error", "current_rules", "current_captions", "previous_rules",
            "previous_captions", "error_tags", "errors", "warning_tags", "warnings"};
        if (m_withText)
            heads.insert(heads.end(), {"text_file", "text_error"});
        heads.insert(heads.end(), {"company", "ico", "year", "orderer_person", "orderer_phone",
                                   "orderer_email", "assets_current", "assets_previous",
                                   "liabilities_current", "liabilities_previous"});
        Row(heads);
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
            Join(texts[w], "; ", FormGapText(m_data, g));
        }
        std::vector<std::string> fields = {Printable(r.path), StatusKey(r.GetStatus()),
                                           r.readError, rules[0], captions[0], rules[1],
                                           captions[1], tags[0], texts[0], tags[1], texts[1]};
        if (m_withText)
            fields.insert(fields.end(), {Printable(r.textFile), r.textError});
        const Facts& f = r.facts;
        fields.insert(fields.end(),
                      {f.company, Number(r, f.ico), f.year, f.person, f.phone, f.email,
                       Number(r, f.assets[0]), Number(r, f.assets[1]),
                       Number(r, f.liabilities[0]), Number(r, f.liabilities[1])});
        Row(fields);
    }

    std::string End(const Summary&) override { return Flush(m_out); }

private:
    static void Join(std::string& list, const char* separator, const std::string& item)
    {
        if (!list.empty())
            list += separator;
        list += item;
    }

    // One line of fields, quoted where needed, ended by CR LF.
    void Row(const std::vector<std::string>& fields)
    {
        std::string line;
        for (const std::string& f : fields) {
            if (&f != &fields.front())
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
    using json = nlohmann::ordered_json;

    JsonWriter(std::FILE* out, const CUzData& data, bool withText)
        : m_out(out), m_data(data), m_withText(withText)
    {
    }

    void Begin() override { Put(m_out, "{\"files\": ["); }

    void File(const FileReport& r) override
    {
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
        json record = {{"file", Printable(r.path)},
                       {"status", StatusKey(r.GetStatus())},
                       {"read_error", Nullable(r.readError)},
                       {"rules", rules},
                       {"gaps", gaps}};
        if (m_withText) {
            record["text_file"] = Nullable(Printable(r.textFile));
            record["text_error"] = Nullable(r.textError);
        }
        if (r.readError.empty()) {
            const Facts& f = r.facts;
            record["company"] = f.company;
            record["ico"] = f.ico;
            record["year"] = f.year;
            record["orderer"] = {{"person", f.person}, {"phone", f.phone}, {"email", f.email}};
            record["assets"] = {{"current", f.assets[0]}, {"previous", f.assets[1]}};
            record["liabilities"] = {{"current", f.liabilities[0]},
                                     {"previous", f.liabilities[1]}};
        }
        // Every text is UTF-8 by now; should one slip through, it is mended,
        // never thrown.
        Put(m_out, (m_first ? "\n" : ",\n") +
                       record.dump(-1, ' ', false, json::error_handler_t::replace));
        m_first = false;
    }

    std::string End(const Summary& sum) override
    {
        const json summary = {{"files", sum.files},   {"clean", sum.clean},
                              {"warnings", sum.warnings}, {"errors", sum.errors},
                              {"unreadable", sum.unreadable}};
        Put(m_out, "\n], \"summary\": " + summary.dump() + "}\n");
        return Flush(m_out);
    }

private:
    static json Nullable(const std::string& s) { return s.empty() ? json() : json(s); }

    std::FILE* m_out;
    const CUzData& m_data;
    bool m_withText;
    bool m_first = true;
};

} // namespace

std::string FormGapText(const CUzData& data, const FormGap& gap)
{
    return std::string(FormName(gap.form)) + ": " + GapText(data, gap.gap);
}

void Summary::Add(Status status)
{
    ++files;
    switch (status) {
    case Status::Clean: ++clean; break;
    case Status::Warnings: ++clean, ++warnings; break;
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
