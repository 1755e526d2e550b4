// The JSON forms of the check's output: GCC's layout and SARIF 2.1.0.
#include <nlohmann/json.hpp>

#include "diagnostic_output.h"
#include "pexilon/config_check.h"

namespace pexilon_tool {

namespace {

using json = nlohmann::ordered_json;
using pexilon::check::diagnostic;

// The texts quote the file, which need not be UTF-8: each invalid byte
// becomes U+FFFD, so that the output is valid JSON whatever the file held.
void print(std::FILE *out, const json &value)
{
    const std::string text = value.dump(2, ' ', false, json::error_handler_t::replace);
    std::fprintf(out, "%s\n", text.c_str());
}

// A place as GCC writes it; a diagnostic of a whole line spans the line.
json gcc_location(const std::string &file, std::size_t line, std::size_t column,
                  std::size_t end_column, std::size_t line_length)
{
    std::size_t first = column == 0 ? 1 : column;
    std::size_t last = column == 0 ? line_length : end_column - 1;
    if (last < first)
        last = first;
    json where = {{"caret", {{"file", file}, {"line", line}, {"column", first}}}};
    if (last != first)
        where["finish"] = {{"file", file}, {"line", line}, {"column", last}};
    return where;
}

class gcc_json : public diagnostic_output {
public:
    explicit gcc_json(std::FILE *out) : out_(out) {}

    void add(const std::string &file, const diagnostic &d) override
    {
        json children = json::array();
        if (!d.hint.empty())
            children.push_back(
                child(file, d.line, d.column, d.end_column, d.source.size(), d.hint));
        for (const pexilon::check::note &n : d.notes)
            children.push_back(child(file, n.line, n.column, n.end_column, 0, n.message));
        json entry = {{"kind", d.severity == PEXILON_CHECK_ERROR ? "error" : "warning"},
                      {"message", d.message},
                      {"option", option_of(d)},
                      {"children", children},
                      {"column-origin", 1},
                      {"locations", json::array({gcc_location(file, d.line, d.column, d.end_column,
                                                              d.source.size())})}};
        // GCC's fix-its: "next" is the column just past the replaced text.
        if (!d.fixes.empty()) {
            json fixits = json::array();
            for (const pexilon::check::fix_it &f : d.fixes)
                fixits.push_back(
                    {{"start", {{"file", file}, {"line", f.line}, {"column", f.column}}},
                     {"next", {{"file", file}, {"line", f.line}, {"column", f.end_column}}},
                     {"string", f.replacement}});
            entry["fixits"] = fixits;
        }
        all_.push_back(entry);
    }

    void finish(std::size_t, std::size_t) override { print(out_, all_); }

private:
    static json child(const std::string &file, std::size_t line, std::size_t column,
                      std::size_t end_column, std::size_t length, const std::string &message)
    {
        return {{"kind", "note"},
                {"message", message},
                {"locations", json::array({gcc_location(file, line, column, end_column, length)})}};
    }

    std::FILE *out_;
    json all_ = json::array();
};

// A file name as a relative URI reference: reserved bytes percent-encoded.
std::string as_uri(const std::string &file)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : file) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
            (byte >= '0' && byte <= '9') ||
            std::string_view("-._~/").find(c) != std::string_view::npos) {
            out += c;
        } else {
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 15];
        }
    }
    return out;
}

json sarif_location(const std::string &file, std::size_t line, std::size_t column,
                    std::size_t end_column)
{
    json region = {{"startLine", line}};
    if (column != 0) {
        region["startColumn"] = column;
        region["endColumn"] = end_column;
    }
    return {
        {"physicalLocation", {{"artifactLocation", {{"uri", as_uri(file)}}}, {"region", region}}}};
}

class sarif : public diagnostic_output {
public:
    explicit sarif(std::FILE *out) : out_(out) {}

    void add(const std::string &file, const diagnostic &d) override
    {
        json related = json::array();
        for (const pexilon::check::note &n : d.notes) {
            json place = sarif_location(file, n.line, n.column, n.end_column);
            place["id"] = related.size();
            place["message"] = {{"text", n.message}};
            related.push_back(place);
        }
        json result = {
            {"ruleId", d.name},
            {"ruleIndex", rule_index(d.name)},
            {"level", d.severity == PEXILON_CHECK_ERROR ? "error" : "warning"},
            {"message", {{"text", d.message}}},
            {"locations", json::array({sarif_location(file, d.line, d.column, d.end_column)})}};
        if (!related.empty())
            result["relatedLocations"] = related;
        if (!d.hint.empty())
            result["properties"] = {{"hint", d.hint}};
        if (!d.fixes.empty()) {
            json replacements = json::array();
            for (const pexilon::check::fix_it &f : d.fixes)
                replacements.push_back({{"deletedRegion",
                                         {{"startLine", f.line},
                                          {"startColumn", f.column},
                                          {"endColumn", f.end_column}}},
                                        {"insertedContent", {{"text", f.replacement}}}});
            result["fixes"] = json::array(
                {{{"description", {{"text", d.fixes.front().change}}},
                  {"artifactChanges", json::array({{{"artifactLocation", {{"uri", as_uri(file)}}},
                                                    {"replacements", replacements}}})}}});
        }
        results_.push_back(result);
    }

    void finish(std::size_t, std::size_t) override
    {
        json rules = json::array();
        for (const auto &kind : pexilon::check::diagnostic_kinds())
            rules.push_back(
                {{"id", kind.name},
                 {"shortDescription", {{"text", kind.about}}},
                 {"defaultConfiguration",
                  {{"level", kind.severity == PEXILON_CHECK_ERROR ? "error" : "warning"}}}});
        const json log = {
            {"$schema", "https://json.schemastore.org/sarif-2.1.0.json"},
            {"version", "2.1.0"},
            {"runs", json::array({{{"tool",
                                    {{"driver",
                                      {{"name", "pexilon-config"},
                                       {"version", PEXILON_CONFIG_CHECK_VERSION_STRING},
                                       {"rules", rules}}}}},
                                   {"results", results_}}})}};
        print(out_, log);
    }

private:
    static std::size_t rule_index(std::string_view name)
    {
        const auto &kinds = pexilon::check::diagnostic_kinds();
        for (std::size_t i = 0; i < kinds.size(); ++i)
            if (kinds[i].name == name)
                return i;
        return 0;
    }

    std::FILE *out_;
    json results_ = json::array();
};

} // namespace

std::unique_ptr<diagnostic_output> json_output(std::FILE *out)
{
    return std::make_unique<gcc_json>(out);
}

std::unique_ptr<diagnostic_output> sarif_output(std::FILE *out)
{
    return std::make_unique<sarif>(out);
}

} // namespace pexilon_tool
