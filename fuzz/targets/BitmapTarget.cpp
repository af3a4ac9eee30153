#include "fuzz/FuzzEntries.h"
#include "fuzz/GuiApplication.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    StartGuiApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzBitmap({data, size});
    return 0;
}
