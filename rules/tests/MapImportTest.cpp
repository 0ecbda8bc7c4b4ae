#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "rules/context/GameContext.h"
#include "rules/files/MapImport.h"
#include "rules/files/Rle.h"
#include "rules/testing/RuleTableWriter.h"
#include "rules/testing/TempFolder.h"

namespace zv::rules {
namespace {

using testing::RuleTableWriter;
using testing::TempFolder;
using Bytes = std::vector<std::uint8_t>;

// What each terrain code of the other edition becomes: land kind, site kind (0xFF none), owner.
struct CodeRow {
    std::uint8_t land;
    std::uint8_t site;
    std::uint8_t owner;
};
const std::map<int, CodeRow> kCodeTable = {
    {1, {0, 0xFF, 0}},   {2, {2, 0xFF, 0}},   {3, {1, 0xFF, 0}},   {4, {3, 0xFF, 0}},
    {6, {4, 0xFF, 0}},   {7, {5, 0xFF, 0}},   {8, {6, 0xFF, 0}},   {9, {7, 0xFF, 0}},
    {10, {8, 0xFF, 0}},  {11, {8, 0xFF, 0}},  {12, {9, 0xFF, 0}},  {13, {10, 0xFF, 0}},
    {14, {11, 0xFF, 0}}, {15, {12, 0xFF, 0}}, {16, {21, 0xFF, 0}}, {24, {0, 1, 4}},
    {25, {0, 2, 4}},     {26, {0, 3, 4}},     {29, {0, 4, 4}},     {30, {5, 5, 4}},
    {32, {0, 1, 0}},     {33, {0, 2, 0}},     {34, {0, 3, 0}},     {37, {0, 4, 0}},
    {38, {5, 5, 0}},     {40, {0, 1, 1}},     {41, {0, 2, 1}},     {42, {0, 3, 1}},
    {45, {0, 4, 1}},     {46, {5, 5, 1}},     {48, {0, 1, 2}},     {49, {0, 2, 2}},
    {50, {0, 3, 2}},     {53, {0, 4, 2}},     {54, {5, 5, 2}},     {56, {0, 1, 3}},
    {57, {0, 2, 3}},     {58, {0, 3, 3}},     {61, {0, 4, 3}},     {62, {5, 5, 3}},
};

// An other-edition map file put together byte by byte.
struct QzMap {
    std::array<std::uint8_t, 256> headerA{};
    std::array<std::uint8_t, 256> headerB{};
    Bytes terrain = Bytes(4096, 0);
    Bytes countries = Bytes(4096, 0);
    bool packTerrain = false;
    bool packCountries = false;

    static Bytes Pack(const Bytes& block) {
        Bytes packed(4096);
        const int n = RleEncodeBytes(block, packed);
        EXPECT_GT(n, 0) << "test block does not pack";
        packed.resize(static_cast<std::size_t>(n > 0 ? n : 0));
        return packed;
    }

    Bytes Build() const {
        Bytes file(headerA.begin(), headerA.end());
        file.insert(file.end(), headerB.begin(), headerB.end());
        const Bytes t = packTerrain ? Pack(terrain) : terrain;
        const Bytes c = packCountries ? Pack(countries) : countries;
        WriteU16(file.data(), 144, static_cast<std::uint16_t>(packTerrain ? t.size() : 0));
        WriteU16(file.data(), 146, static_cast<std::uint16_t>(packCountries ? c.size() : 0));
        file.insert(file.end(), t.begin(), t.end());
        file.insert(file.end(), c.begin(), c.end());
        return file;
    }
};

int Hex(int x, int y) {
    return x + 64 * y;
}

class MapImportTest : public ::testing::Test {
  protected:
    MapImportTest() {
        RuleTableWriter::Basic().InstallInto(tables);
        // The editor's empty map.
        GameContext(tables).ResetAllGameTables();
    }

    HexRecord& HexAt(int x, int y) {
        return *reinterpret_cast<HexRecord*>(tables.GetTableBase(TableId::Hex) +
                                             sizeof(HexRecord) * Hex(x, y));
    }
    std::uint16_t HexInfoSite(int x, int y) {
        return HexInfoAt(tables.GetTableBase(TableId::HexInfo), Hex(x, y))
            ->U16(HexInfoRecord::kSiteIndex);
    }
    SiteRecord& Site(int s) {
        return *reinterpret_cast<SiteRecord*>(tables.GetTableBase(TableId::Site) +
                                              sizeof(SiteRecord) * s);
    }
    CountryRecord& Country(int c) {
        return *reinterpret_cast<CountryRecord*>(tables.GetTableBase(TableId::Country) +
                                                 sizeof(CountryRecord) * c);
    }

    FileStatus Import(const Bytes& file) {
        folder.Put("map01.qz4", file);
        return ImportOtherMapFile(tables, folder.File("map01.qz4"));
    }

    TableDirectory tables;
    TempFolder folder;
};

TEST(OtherTerrainCodes, EveryCodeMatchesTheTable) {
    for (int code = 0; code < 64; ++code) {
        SCOPED_TRACE(code);
        const OtherTerrainEntry entry = LookupOtherTerrainCode(static_cast<std::uint8_t>(code));
        const auto row = kCodeTable.find(code);
        ASSERT_EQ(entry.known, row != kCodeTable.end());
        if (!entry.known) continue;
        EXPECT_EQ(entry.landKind, row->second.land);
        EXPECT_EQ(entry.siteKind, row->second.site);
        if (entry.siteKind != 0xFF) {
            EXPECT_EQ(entry.siteOwner, row->second.owner);
        }
    }
    // Only the low six bits name the code.
    EXPECT_EQ(LookupOtherTerrainCode(0x47).landKind, 5);
    EXPECT_EQ(LookupOtherTerrainCode(0x80 | 30).siteKind, 5);
}

// Row 0 holds the 64 codes in order, with the road bit on every odd code; blocks stored or
// packed give the same map.
class MapImportAllCodes : public MapImportTest,
                          public ::testing::WithParamInterface<std::pair<bool, bool>> {};

TEST_P(MapImportAllCodes, EveryCodeLandsOnItsHex) {
    QzMap qz;
    qz.packTerrain = GetParam().first;
    qz.packCountries = GetParam().second;
    for (int code = 0; code < 64; ++code) {
        qz.terrain[Hex(code, 0)] = static_cast<std::uint8_t>(code | (code % 2 ? 0x40 : 0));
    }
    qz.countries[Hex(3, 5)] = 0x0A;
    qz.countries[Hex(4, 5)] = 0x08;
    qz.countries[Hex(5, 5)] = 0x10;  // no country bit among 0-3
    ASSERT_TRUE(Import(qz.Build()));

    int sites = 0;
    for (int code = 0; code < 64; ++code) {
        SCOPED_TRACE(code);
        const HexRecord& hex = HexAt(code, 0);
        const auto row = kCodeTable.find(code);
        EXPECT_EQ(hex.U8(HexRecord::kLandKind), row == kCodeTable.end() ? 5 : row->second.land);
        EXPECT_EQ(hex.U8(HexRecord::kRiver), kNoRiver);
        // Odd codes carry a road; their road neighbours are codes - 1 and + 1 (even, no road)
        // and nothing in row 1, so every road mask is 0.
        EXPECT_EQ(hex.U8(HexRecord::kRoad), code % 2 ? 0 : kNoRoad);
        const bool site = row != kCodeTable.end() && row->second.site != 0xFF;
        if (!site) {
            EXPECT_EQ(HexInfoSite(code, 0), kNoSiteIndex);
            continue;
        }
        const std::uint16_t s = HexInfoSite(code, 0);
        ASSERT_NE(s, kNoSiteIndex);
        EXPECT_EQ(s, sites++);  // sites take records in hex order
        EXPECT_EQ(Site(s).U8(SiteRecord::kKind), row->second.site);
        EXPECT_EQ(Site(s).U8(SiteRecord::kOwner), row->second.owner);
        EXPECT_EQ(Site(s).U16(SiteRecord::kHex), MakeHexPosition(code, 0));
    }
    EXPECT_EQ(Site(sites).U8(SiteRecord::kKind), kFreeSite);

    // A neutral port (code 30) has the fixed durabilities of a neutral site.
    const SiteRecord& port = Site(HexInfoSite(30, 0));
    EXPECT_EQ(port.U8(SiteRecord::kCaptureDurability), 110);
    EXPECT_EQ(port.U8(SiteRecord::kDestroyDurability), 110);

    EXPECT_EQ(HexAt(3, 5).U8(HexRecord::kCountry), 1);
    EXPECT_EQ(HexAt(4, 5).U8(HexRecord::kCountry), 3);
    EXPECT_EQ(HexAt(5, 5).U8(HexRecord::kCountry), kNoCountry);
    EXPECT_EQ(HexAt(6, 5).U8(HexRecord::kCountry), kNoCountry);
    // Hexes with code 0 keep the empty map's sea.
    EXPECT_EQ(HexAt(10, 10).U8(HexRecord::kLandKind), 5);
}

INSTANTIATE_TEST_SUITE_P(StoredAndPacked, MapImportAllCodes,
                         ::testing::Values(std::pair{false, false}, std::pair{true, false},
                                           std::pair{false, true}, std::pair{true, true}));

TEST_F(MapImportTest, RoadBytesBecomeMasksOfRoadNeighbours) {
    QzMap qz;
    qz.packTerrain = true;
    for (int i = 0; i < 4096; ++i) qz.terrain[i] = 1;  // plain land
    // A road from (10, 10) east to (12, 10), one branch down-right from (12, 10) (even row:
    // SE of (12, 10) is (12, 11)), a lone road hex and a road in the map's corner.
    for (int x : {10, 11, 12}) qz.terrain[Hex(x, 10)] = 0x41;
    qz.terrain[Hex(12, 11)] = 0x47;  // sea with road
    qz.terrain[Hex(30, 30)] = 0x41;
    qz.terrain[Hex(0, 0)] = 0x41;
    qz.terrain[Hex(1, 0)] = 0x41;
    ASSERT_TRUE(Import(qz.Build()));

    struct Case {
        int x, y;
        std::uint8_t road;
    };
    const Case cases[] = {
        {10, 10, 0x08},         // E only
        {11, 10, 0x01 | 0x08},  // W and E
        {12, 10, 0x01 | 0x04},  // W and SE
        {12, 11, 0x20},         // odd row: NW of (12, 11) is (12, 10)
        {30, 30, 0x00},         // a road with no road around
        {0, 0, 0x08},           // neighbours off the map count as none
        {1, 0, 0x01},          {13, 10, kNoRoad},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        EXPECT_EQ(HexAt(c.x, c.y).U8(HexRecord::kRoad), c.road);
    }
    EXPECT_EQ(HexAt(12, 11).U8(HexRecord::kLandKind), 5);
}

TEST_F(MapImportTest, HeaderAndCountriesComeFromTheHeaders) {
    QzMap qz;
    std::memcpy(qz.headerA.data() + 8, "ABCDEFGHIJKLMNOP", 16);  // fills the 16 bytes
    std::memcpy(qz.headerA.data() + 24, "a description", 13);
    for (int c = 0; c < 4; ++c) {
        std::uint8_t* block = qz.headerB.data() + 64 * c;
        const std::string name = "Land" + std::to_string(c);
        std::memcpy(block, name.data(), name.size());
        block[17] = static_cast<std::uint8_t>(c % 2);
        block[18] = static_cast<std::uint8_t>(c + 1);
        WriteS32(block, 24, 5000 + c);
        WriteS32(block, 36, c == 3 ? 2000000000 : 700 + c);
    }
    ScenarioHeaderCursor(tables).SetTitle("old title that is long");
    ASSERT_TRUE(Import(qz.Build()));

    ScenarioHeaderCursor header(tables);
    EXPECT_STREQ(header.GetTitle(), "ABCDEFGHIJKLMNOP");
    EXPECT_STREQ(header.GetDescription(), "a description");
    CountryCursor country(tables);
    for (int c = 0; c < 4; ++c) {
        SCOPED_TRACE(c);
        ASSERT_TRUE(country.Select(c));
        EXPECT_EQ(std::string(country.GetName()), "Land" + std::to_string(c));
        EXPECT_EQ(country.GetState(), c % 2);
        EXPECT_EQ(country.GetParticipation(), c + 1);
        EXPECT_EQ(country.GetValue38(), 5000 + c);
        EXPECT_EQ(country.GetFunds(), c == 3 ? kMaxFunds : 700 + c);
    }
    // The rest of the name field is cleared.
    for (std::size_t i = 16; i < 24; ++i) EXPECT_EQ(Country(0).U8(CountryRecord::kName + i), 0);
}

TEST_F(MapImportTest, OnlyTheLowTwelveBitsOfTheTerrainLengthCount) {
    QzMap qz;
    qz.packTerrain = true;
    for (int i = 0; i < 4096; ++i) qz.terrain[i] = 9;
    Bytes file = qz.Build();
    file[145] |= 0xF0;
    // The trailing bytes of a longer file are not the import's business.
    file.insert(file.end(), 100, 0xAB);
    ASSERT_TRUE(Import(file));
    EXPECT_EQ(HexAt(63, 63).U8(HexRecord::kLandKind), 7);
}

TEST_F(MapImportTest, BytesPastTheLargestValidFileAreNeverRead) {
    QzMap stored;
    Bytes file = stored.Build();
    ASSERT_EQ(file.size(), OtherMapImage::kLargestFileSize);
    file.resize(4 * OtherMapImage::kLargestFileSize, 0xEE);
    folder.Put("long.qz4", file);
    std::vector<std::uint8_t> head;
    ASSERT_TRUE(ReadFileHead(folder.File("long.qz4"), OtherMapImage::kLargestFileSize, head));
    EXPECT_EQ(head.size(), OtherMapImage::kLargestFileSize);
    EXPECT_TRUE(Import(file)) << "trailing bytes are ignored as before";
}

TEST_F(MapImportTest, BadFilesFailAndChangeNothing) {
    QzMap good;
    good.packTerrain = true;
    good.packCountries = true;
    for (int i = 0; i < 4096; ++i) good.terrain[i] = static_cast<std::uint8_t>(1 + (i / 64) % 3);
    const Bytes goodFile = good.Build();
    const std::size_t terrainLength = ReadU16(goodFile.data(), 144);

    QzMap stored;
    const Bytes storedFile = stored.Build();

    // A packed block of 4095 bytes in which no end mark can be found.
    Bytes noEndMark = storedFile;
    noEndMark.resize(512 + 4095);
    for (std::size_t i = 512; i < noEndMark.size(); ++i) noEndMark[i] = (i % 2) ? 1 : 2;
    WriteU16(noEndMark.data(), 144, 4095);
    noEndMark.insert(noEndMark.end(), 4096, 0);

    Bytes longCountries = storedFile;
    WriteU16(longCountries.data(), 146, 5000);
    longCountries.resize(512 + 4096 + 5000, 0);

    struct Case {
        const char* name;
        Bytes file;
    };
    const Case cases[] = {
        {"empty", {}},
        {"headers cut short", Bytes(goodFile.begin(), goodFile.begin() + 300)},
        {"packed terrain cut short",
         Bytes(goodFile.begin(), goodFile.begin() + 512 + terrainLength - 1)},
        {"country block missing", Bytes(goodFile.begin(), goodFile.begin() + 512 + terrainLength)},
        {"stored country block cut short", Bytes(storedFile.begin(), storedFile.end() - 1)},
        {"packed country block longer than 4096 bytes", longCountries},
        {"packed block without end mark", noEndMark},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::uint64_t before = tables.HashLiveTables();
        const FileStatus status = Import(c.file);
        EXPECT_FALSE(status);
        EXPECT_FALSE(status.error.empty());
        EXPECT_EQ(tables.HashLiveTables(), before);
    }

    const std::uint64_t before = tables.HashLiveTables();
    EXPECT_FALSE(ImportOtherMapFile(tables, folder.File("missing.qz4")));
    EXPECT_EQ(tables.HashLiveTables(), before);
}

TEST_F(MapImportTest, ParsingAloneLeavesTheOutputUntouchedOnFailure) {
    OtherMapImage image;
    image.terrain[7] = 42;
    const Bytes shortFile(600, 0);
    EXPECT_FALSE(ParseOtherMapFile(shortFile, image));
    EXPECT_EQ(image.terrain[7], 42);
}

}  // namespace
}  // namespace zv::rules
