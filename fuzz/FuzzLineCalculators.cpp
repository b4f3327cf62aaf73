// Any texts typed into the line calculators' boxes, one a line.
#include "FuzzSupport.h"

#include "calc/LineCalculators.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text = orbiplot::fuzz::Text(data, size);
    std::array<std::string, 7> boxes;
    size_t start = 0;
    for (size_t i = 0; i < boxes.size() && start <= text.size(); ++i) {
        const size_t end = std::min(text.find('\n', start), text.size());
        boxes[i] = text.substr(start, end - start);
        start = end + 1;
    }
    orbiplot::ComputePointLine({boxes[0], boxes[1], boxes[2], boxes[3]});
    orbiplot::ComputeLineLine(boxes);
    return 0;
}
