#include "base/clsINI.h"

#include "base/AppError.h"
#include "base/FileAccess.h"
#include "base/NumberFormat.h"
#include "base/TextEncoding.h"

#include <climits>

namespace orbiplot {

namespace {

// The section name of a "[name]" line.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = TrimBlanks(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    line.remove_prefix(1);
    const size_t close = line.find(']');
    return TrimBlanks(line.substr(0, close));
}

// The key of a "key=value" line; comments and other lines have none.
std::optional<std::string_view> KeyName(std::string_view line) {
    const std::string_view trimmed = TrimBlanks(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#' ||
        trimmed.front() == '[')
        return std::nullopt;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return TrimBlanks(line.substr(0, eq));
}

std::string OneLine(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '\n') c = ' ';
    return out;
}

// A name as the indices hold it: what lookups compare, ignoring letter case.
std::string Key(std::string_view name) { return AsciiUpper(TrimBlanks(name)); }

} // namespace

const std::string& IniValue::ToText() const {
    if (marker_) RaiseRuntimeError(ErrTypeMismatch);
    return text_;
}

double IniValue::ToDouble() const { return TextToDouble(ToText()); }
float IniValue::ToSingle() const { return TextToSingle(ToText()); }

IniDocument IniDocument::Load(const std::string& path) {
    const std::optional<std::string> bytes = ReadFileBytes(path);
    return bytes ? FromBytes(*bytes) : IniDocument();
}

IniDocument IniDocument::FromBytes(std::string_view bytes) {
    IniDocument doc;
    doc.exists_ = true;
    const std::string text = DecodeFileText(bytes);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        doc.AddLine(std::string(line));
        start = end + 1;
    }
    return doc;
}

void IniDocument::AddLine(std::string line) {
    if (const auto name = SectionName(line)) {
        sectionIndex_.emplace(Key(*name), sections_.size());
        sections_.push_back({std::move(line), Key(*name), {}, {}});
        return;
    }
    if (sections_.empty()) sections_.push_back({}); // the lines before any section
    Section& section = sections_.back();
    if (!section.header.empty())
        if (const auto key = KeyName(line)) section.keys.emplace(Key(*key), section.lines.size());
    section.lines.push_back(std::move(line));
}

const IniDocument::Section* IniDocument::FindSection(std::string_view name) const {
    const auto found = sectionIndex_.find(Key(name));
    return found == sectionIndex_.end() ? nullptr : &sections_[found->second];
}

std::optional<size_t> IniDocument::FindKey(const Section& section, std::string_view key) {
    const auto found = section.keys.find(Key(key));
    if (found == section.keys.end()) return std::nullopt;
    return found->second;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const {
    const Section* s = FindSection(section);
    if (!s) return std::nullopt;
    const auto line = FindKey(*s, key);
    if (!line) return std::nullopt;
    const std::string& text = s->lines[*line];
    return text.substr(text.find('=') + 1);
}

IniValue IniDocument::GetString(std::string_view section, std::string_view key, int bufferLen,
                                std::string_view defaultValue) const {
    if (bufferLen <= 0) return IniValue(std::string());
    std::string value = Get(section, key).value_or(std::string(defaultValue));
    // The buffer counts as the 8-bit file does: two places for a Chinese character.
    if (GbkLength(value) >= static_cast<size_t>(bufferLen - 1)) return IniValue::ErrorMarker();
    return IniValue(std::move(value));
}

int32_t IniDocument::GetLong(std::string_view section, std::string_view key,
                             int32_t defaultValue) const {
    const auto value = Get(section, key);
    if (!value) return defaultValue;
    std::string_view text = TrimBlanks(*value);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int64_t n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        n = n * 10 + (c - '0');
        if (n > static_cast<int64_t>(INT32_MAX) + 1) n = static_cast<int64_t>(INT32_MAX) + 1;
    }
    if (negative) n = -n;
    if (n > INT32_MAX) n = INT32_MAX;
    return static_cast<int32_t>(n);
}

bool IniDocument::GetBoolean(std::string_view section, std::string_view key,
                             bool defaultValue) const {
    const IniValue value = GetString(section, key, 24, defaultValue ? "True" : "False");
    // An over-long value is as malformed as any other unknown word.
    if (value.IsErrorMarker()) return defaultValue;
    const std::string text = AsciiLower(value.ToText());
    if (text == "false" || text == "0") return false;
    if (text == "true" || text == "-1" || text == "1") return true;
    return defaultValue;
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    const std::string safeKey = OneLine(TrimBlanks(key));
    const std::string safeValue = OneLine(value);
    const Section* found = FindSection(section);
    if (!found) {
        if (!sections_.empty()) {
            const Section& last = sections_.back();
            const std::string& lastLine = last.lines.empty() ? last.header : last.lines.back();
            if (!TrimBlanks(lastLine).empty()) AddLine("");
        }
        AddLine("[" + OneLine(TrimBlanks(section)) + "]");
        AddLine(safeKey + "=" + safeValue);
        return;
    }
    Section& s = sections_[static_cast<size_t>(found - sections_.data())];
    if (const auto line = FindKey(s, key)) {
        std::string& text = s.lines[*line];
        text = text.substr(0, text.find('=') + 1) + safeValue;
        return;
    }
    // After the last line of the section that is not blank; only blank lines, which hold
    // no key, move down.
    size_t at = s.lines.size();
    while (at > 0 && TrimBlanks(s.lines[at - 1]).empty())
        --at;
    s.lines.insert(s.lines.begin() + static_cast<std::ptrdiff_t>(at), safeKey + "=" + safeValue);
    s.keys.emplace(Key(safeKey), at);
}

std::string IniDocument::Serialize() const {
    std::string text;
    for (const Section& section : sections_) {
        if (!section.header.empty()) {
            text += section.header;
            text += "\r\n";
        }
        for (const std::string& line : section.lines) {
            text += line;
            text += "\r\n";
        }
    }
    return EncodeFileText(text);
}

void IniDocument::Save(const std::string& path) const { WriteFileAtomically(path, Serialize()); }

IniValue clsINI::INIGetString(std::string_view sectionName, std::string_view keyName,
                              int16_t bufferLen, std::string_view defaultValue,
                              const std::string& iniFile) const {
    return IniDocument::Load(iniFile).GetString(sectionName, keyName, bufferLen, defaultValue);
}

int32_t clsINI::INIGetLong(std::string_view sectionName, std::string_view keyName,
                           int32_t defaultValue, const std::string& iniFile) const {
    return IniDocument::Load(iniFile).GetLong(sectionName, keyName, defaultValue);
}

bool clsINI::INIGetBoolean(std::string_view sectionName, std::string_view keyName,
                           bool defaultValue, const std::string& iniFile) const {
    return IniDocument::Load(iniFile).GetBoolean(sectionName, keyName, defaultValue);
}

int16_t clsINI::INIWriteString(std::string_view sectionName, std::string_view keyName,
                               std::string_view stringToWrite, const std::string& iniFile) const {
    IniBatch batch(iniFile);
    batch.Set(sectionName, keyName, stringToWrite);
    batch.Commit();
    return 0;
}

} // namespace orbiplot
