// Corps files: the corps loader and the file checker on any bytes.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzScratch.h"
#include "rules/context/TableDirectory.h"
#include "rules/records/ForceCursor.h"
#include "tools/zvdata/GameFileCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zv;
    const std::string path = fuzz::PutInput("USER/useFrc00.prm", data, size);
    static rules::TableDirectory* tables = [] {
        auto* t = new rules::TableDirectory;
        if (!t->LoadAllTables(fuzz::ScratchFolder())) std::abort();
        return t;
    }();
    rules::ForceCursor corps(*tables, 1);
    corps.LoadUserForceFile(fuzz::ScratchFolder(), "useFrc00.prm");
    zvdata::CheckGameFile(path, fuzz::ScratchFolder());
    return 0;
}
