#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orbiplot {

// What INIGetString delivers: a text, or the error marker of a value that filled the whole
// buffer and may have been cut. The marker fails every conversion with "type mismatch".
class IniValue {
public:
    explicit IniValue(std::string text) : text_(std::move(text)) {}
    static IniValue ErrorMarker() {
        IniValue v{std::string()};
        v.marker_ = true;
        return v;
    }
    bool IsErrorMarker() const { return marker_; }
    const std::string& ToText() const;
    double ToDouble() const;
    float ToSingle() const;

private:
    std::string text_;
    bool marker_ = false;
};

// An INI file in memory, its lines kept as they were so that a write changes nothing else.
// Section and key names are found regardless of letter case; a value is everything after
// the first "=" of its line.
class IniDocument {
public:
    IniDocument() = default;
    // A file that is missing or cannot be read gives an empty document.
    static IniDocument Load(const std::string& path);
    // The file's bytes as read (GBK or UTF-8, CR LF or LF).
    static IniDocument FromBytes(std::string_view bytes);

    bool Exists() const { return exists_; }
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;

    IniValue GetString(std::string_view section, std::string_view key, int bufferLen,
                       std::string_view defaultValue) const;
    int32_t GetLong(std::string_view section, std::string_view key, int32_t defaultValue) const;
    bool GetBoolean(std::string_view section, std::string_view key, bool defaultValue) const;

    // Changes the value in place, or adds the key at the end of its section, or the section
    // at the end of the file. A line feed in a value becomes a blank; a carriage return is
    // kept, since reading splits lines at line feeds only.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    // The file's bytes: CR LF line ends, GBK when possible (else UTF-8 with a BOM).
    std::string Serialize() const;

    // Replaces the file atomically; a failure raises the system error and leaves the old
    // file whole.
    void Save(const std::string& path) const;

private:
    // Lines are kept per section, each section with an index of its keys (upper case, the
    // first of a repeated key), so finding or adding a key costs the same in any file.
    struct Section {
        std::string header; // the "[name]" line; empty for the lines before the first one
        std::string name;   // upper case
        std::vector<std::string> lines;
        std::unordered_map<std::string, size_t> keys;
    };
    const Section* FindSection(std::string_view name) const;
    static std::optional<size_t> FindKey(const Section& section, std::string_view key);
    void AddLine(std::string line);

    std::vector<Section> sections_;
    std::unordered_map<std::string, size_t> sectionIndex_; // upper-case name to its first
    bool exists_ = false;
};

// Writes many keys with one file write; the result equals the same writes done one by one.
class IniBatch {
public:
    explicit IniBatch(std::string path)
        : path_(std::move(path)), document_(IniDocument::Load(path_)) {}
    void Set(std::string_view section, std::string_view key, std::string_view value) {
        document_.Set(section, key, value);
    }
    void Commit() const { document_.Save(path_); }
    const IniDocument& Document() const { return document_; }

private:
    std::string path_;
    IniDocument document_;
};

// Access to INI files by path; keeps no state, every call reads or writes the file.
class clsINI {
public:
    IniValue INIGetString(std::string_view sectionName, std::string_view keyName, int16_t bufferLen,
                          std::string_view defaultValue, const std::string& iniFile) const;
    int32_t INIGetLong(std::string_view sectionName, std::string_view keyName, int32_t defaultValue,
                       const std::string& iniFile) const;
    bool INIGetBoolean(std::string_view sectionName, std::string_view keyName, bool defaultValue,
                       const std::string& iniFile) const;
    int16_t INIWriteString(std::string_view sectionName, std::string_view keyName,
                           std::string_view stringToWrite, const std::string& iniFile) const;
};

} // namespace orbiplot
