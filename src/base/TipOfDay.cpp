#include "base/TipOfDay.h"

#include "base/RandomSource.h"
#include "base/TextEncoding.h"

#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace orbiplot {

std::optional<std::vector<std::string>> LoadTips(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    const std::string text = DecodeFileText(std::string(std::istreambuf_iterator<char>(in), {}));
    std::vector<std::string> tips;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        size_t lineEnd = end;
        if (lineEnd > start && text[lineEnd - 1] == '\r') --lineEnd;
        tips.push_back(text.substr(start, lineEnd - start));
        start = end + 1;
    }
    return tips;
}

int NextTipNumber(RandomSource& random, size_t count) {
    return static_cast<int>(random.Next() * static_cast<float>(count) + 1);
}

std::string MissingTipFileText() {
    return std::string("文件 ") + TipFileName + " 没有被找到。 \n\nOrbiplot 不完整，需要重新安装。";
}

} // namespace orbiplot
