// Any bytes as a document file: refused with a report, or loaded and described.
#include "FuzzSupport.h"

#include "doc/DocumentModel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orbiplot::fuzz::Core core;
    orbiplot::DocumentModel document(core.context);
    if (document.LoadDoc(orbiplot::fuzz::Core::WriteFile("doc.opd", data, size))) {
        document.GetFunList();
        document.GetDocInfo();
    }
    return 0;
}
