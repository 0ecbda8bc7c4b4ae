// Rule tables: the input replaces the table its header's kind names (the first table when it
// names none); the loader reads all nine and the checker checks the file and the set.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzScratch.h"
#include "rules/context/TableDirectory.h"
#include "rules/files/DatFile.h"
#include "tools/zvdata/GameFileCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zv;
    static const std::string folder = fuzz::ScratchFolder();
    const std::uint16_t kind = size >= 2 ? static_cast<std::uint16_t>(data[0] | data[1] << 8) : 0;
    rules::TableId table = rules::TableId::LandKind;
    for (int i = 0; i < rules::kTableCount; ++i) {
        const auto id = static_cast<rules::TableId>(i);
        if (rules::IsRuleTable(id) && rules::DatFileKindOf(id) == kind) table = id;
    }
    const std::string name = rules::GetTableLayout(table).fileName;
    const std::string saved = folder + name + ".good";
    if (!std::filesystem::exists(saved)) std::filesystem::copy_file(folder + name, saved);
    const std::string path = fuzz::PutInput(name.c_str(), data, size);
    rules::TableDirectory tables;
    tables.LoadAllTables(folder);
    zvdata::CheckGameFile(path);
    // The other readers find the sound table again.
    std::filesystem::copy_file(saved, folder + name,
                               std::filesystem::copy_options::overwrite_existing);
    return 0;
}
