// The game-data transfer: images of whole tables, packed, sent in blocks and unpacked by the
// receiver straight into its tables.
#include <cstring>

#include "netplay/SessionManager.h"
#include "rules/context/GameContext.h"
#include "rules/countries/CountryStatistics.h"
#include "rules/context/TableDirectory.h"
#include "rules/files/MapFiles.h"
#include "rules/files/Rle.h"
#include "rules/records/MapCursors.h"
#include "rules/records/TroopRecord.h"
#include "simulation/Simulation.h"

namespace zv::net {

namespace {

using rules::TableId;

constexpr std::uint32_t kMapImage = 182468;
constexpr std::uint32_t kSaveImage = 585218;
// A client's own troops and corps, then its country's funds (s32) and statistics record; all
// troops and corps, then the four countries' funds and statistics records. Each participant's
// deployment spends its own country's funds and counts them in its statistics, and only the
// host hears of all of them: the all-troops image gives everybody the same.
constexpr std::uint32_t kStatsRecord = static_cast<std::uint32_t>(rules::kCountryTable25RecordSize);
constexpr std::uint32_t kAllTroopsImage = 442460 + 4 * (4 + kStatsRecord);
constexpr std::uint32_t kOwnTroopsImage = 83898 + kStatsRecord;
constexpr std::uint32_t kBlockLength = 10240;
constexpr std::uint32_t kMaxBlockLength = 1 << 20;
constexpr std::uint32_t kTroopsPerCountry = 40;
// The header's argument: how the image travels.
constexpr std::uint16_t kPacked = 0;
constexpr std::uint16_t kStored = 2;

std::uint32_t W(int type, int parameter) {
    return (static_cast<std::uint32_t>(parameter) << 16) |
           static_cast<std::uint32_t>(type & 0xFFFF);
}

struct Part {
    TableId table;
    std::uint32_t offset;  // within the table
    std::uint32_t size;
};

std::vector<Part> ImageParts(int kind, int country) {
    const std::uint32_t troop = rules::kTroopRecordSize;
    const std::uint32_t force = 67174;
    std::vector<Part> map = {{TableId::ScenarioHeader, 0, 300},
                             {TableId::Country, 0, 344},
                             {TableId::Hex, 0, 32768},
                             {TableId::Site, 0, 1600},
                             {TableId::HexInfo, 0, 147456}};
    switch (kind) {
        case kTransferMap:
            return map;
        case kTransferSaveGame:
            map.push_back({TableId::Troop, 0, 160 * troop});
            map.push_back({TableId::Force, 0, 5 * force});
            return map;
        case kTransferAllTroops:
            return {{TableId::Troop, 0, 255 * troop}, {TableId::Force, 0, 5 * force}};
        case kTransferOwnTroops:
            return {
                {TableId::Troop, kTroopsPerCountry * troop * static_cast<std::uint32_t>(country),
                 kTroopsPerCountry * troop},
                {TableId::Force, force * static_cast<std::uint32_t>(country + 1), force}};
        default:
            return {};
    }
}

bool FitsTables(rules::TableDirectory& tables, const std::vector<Part>& parts) {
    for (const Part& p : parts) {
        if (std::uint64_t{p.offset} + p.size > tables.GetTableTotalBytes(p.table)) return false;
    }
    return true;
}

}  // namespace

std::uint32_t TransferImageSize(int kind) {
    switch (kind) {
        case kTransferMap:
            return kMapImage;
        case kTransferSaveGame:
            return kSaveImage;
        case kTransferAllTroops:
            return kAllTroopsImage;
        case kTransferOwnTroops:
            return kOwnTroopsImage;
        default:
            return 0;
    }
}

int SessionManager::SendFile(PlayerId to, const std::uint8_t* data, std::uint32_t size,
                             std::uint16_t kind, std::uint32_t blockLength, bool stored) {
    if (!connection_ || !connection_->Player()) return transport::kErrFail;
    if (hostFlag_) ackCounters_.fill(0);
    if (blockLength == 128) blockLength = kBlockLength;
    if (blockLength == 0 || size == 0) return transport::kErrFail;
    const std::uint32_t blocks = size / blockLength + (size % blockLength ? 1 : 0);
    const int r =
        SendRow(to, TransferHeaderMessage{.sender = ownSlot_,
                                          .argument = stored ? kStored : kPacked,
                                          .kind = kind,
                                          .totalSize = static_cast<std::int32_t>(size),
                                          .blockLength = static_cast<std::int32_t>(blockLength),
                                          .blockCount = static_cast<std::int32_t>(blocks)});
    if (r != 0) return r;
    sending_ = 1;
    gui_->TransferProgress(false, NetworkGui::Progress::Show, static_cast<int>(blocks));
    // Every block has the full length; the last one is padded with zeros.
    std::vector<std::uint8_t> block(blockLength);
    int result = 0;
    for (std::uint32_t i = 0; i < blocks; ++i) {
        const std::uint32_t at = i * blockLength;
        const std::uint32_t n = std::min(blockLength, size - at);
        std::fill(std::copy(data + at, data + at + n, block.begin()), block.end(), 0);
        const TransferDataMessage m{.index = static_cast<std::int32_t>(i), .payload = block};
        if ((result = SendRow(to, m)) != 0) break;
        gui_->TransferProgress(false, NetworkGui::Progress::Step, 0);
        if (options_.blockPauseMs) core::SleepMs(options_.blockPauseMs);
    }
    sending_ = 0;
    gui_->TransferProgress(false, NetworkGui::Progress::Hide, 0);
    return result;
}

// Builds, packs and sends an image of the current tables.
int SessionManager::SendImageFromTables(std::uint16_t kind) {
    if (!tables_) return 0;
    int country = 0;
    if (kind == kTransferOwnTroops) {
        const std::uint32_t word = GetSlotValue(ownSlot_);
        if (word < 1 || word > 4) return 0;
        country = static_cast<int>(word) - 1;
    }
    const std::vector<Part> parts = ImageParts(kind, country);
    if (parts.empty() || !FitsTables(*tables_, parts)) return 0;
    const std::uint32_t size = TransferImageSize(kind);
    std::vector<std::uint8_t> image(size);
    std::uint32_t at = 0;
    for (const Part& p : parts) {
        std::memcpy(image.data() + at, tables_->GetTableBase(p.table) + p.offset, p.size);
        at += p.size;
    }
    if (kind == kTransferOwnTroops) {
        rules::CountryCursor countries(*tables_);
        const std::int32_t funds = countries.Select(country) ? countries.GetFunds() : 0;
        rules::WriteS32(image.data(), at, funds);
        if (const rules::CountryTable25Record* stats = rules::GetCountryStats(*tables_, static_cast<std::uint8_t>(country))) {
            std::memcpy(image.data() + at + 4, stats->data(), kStatsRecord);
        }
    }
    if (kind == kTransferAllTroops) {
        rules::CountryCursor countries(*tables_);
        for (std::uint8_t c = 0; c < 4; ++c) {
            const std::uint32_t entry = at + c * (4 + kStatsRecord);
            rules::WriteS32(image.data(), entry, countries.Select(c) ? countries.GetFunds() : 0);
            if (const rules::CountryTable25Record* stats = rules::GetCountryStats(*tables_, c)) {
                std::memcpy(image.data() + entry + 4, stats->data(), kStatsRecord);
            }
        }
    }
    std::vector<std::uint8_t> packed(size);
    const int n = rules::RleEncode(packed, image, 0);
    if (n < 0) return 0;
    // An image that does not pack smaller travels stored, as its header says.
    const bool stored = n == 0;
    const std::uint32_t length = stored ? size : static_cast<std::uint32_t>(n);
    const PlayerId to =
        kind == kTransferOwnTroops ? transport::kServerPlayer : transport::kAllPlayers;
    const std::uint32_t blockLength = kind == kTransferOwnTroops ? length : kBlockLength;
    return SendFile(to, stored ? image.data() : packed.data(), length, kind, blockLength, stored) ==
                   0
               ? 1
               : 0;
}

namespace {

void FixMapControl(rules::TableDirectory& tables) {
    rules::CountryCursor countries(tables);
    for (int c = 0; c < rules::kCountryCount; ++c) {
        if (!countries.Select(c)) continue;
        if (countries.GetParticipation() == 1) {
            countries.SetState(1);
        } else {
            countries.SetParticipation(2);
            countries.SetState(0);
        }
    }
}

}  // namespace

int SessionManager::SendMapData(const std::string& programDir, const std::string& name) {
    if (!tables_ || !sim_ || !hostFlag_ || name.empty() || name[0] == ' ') return 0;
    // The flag answers this transfer only: a session hosted before may have set it.
    mapDelivered_ = false;
    if (!rules::LoadMapFromMapFolder(*tables_, sim_->Events(), programDir, name).ok) return 0;
    FixMapControl(*tables_);
    rules::GameContext live(*tables_, sim_->ContextEnv());
    live.RebuildHexOccupancy();
    return SendImageFromTables(kTransferMap);
}

int SessionManager::SendSaveGameData(const std::string& programDir, const std::string& name) {
    if (!tables_ || !sim_ || !hostFlag_ || name.empty() || name[0] == ' ') return 0;
    mapDelivered_ = false;
    if (!rules::LoadSaveGame(*tables_, sim_->Events(), programDir, name).ok) return 0;
    rules::GameContext live(*tables_, sim_->ContextEnv());
    live.RebuildHexOccupancy();
    return SendImageFromTables(kTransferSaveGame);
}

int SessionManager::SendAllTroopData() {
    if (!hostFlag_) return 0;
    return SendImageFromTables(kTransferAllTroops);
}

int SessionManager::SendOwnTroopData() {
    if (hostFlag_) return 0;
    if (!SendImageFromTables(kTransferOwnTroops)) return 0;
    if (sim_) sim_->NotifyExecuteThinkEnd();
    return 1;
}

// ---- receive thread -------------------------------------------------------------------------

void SessionManager::OnMessage(PlayerId from, const TransferHeaderMessage& m) {
    const std::int32_t sender = m.sender;
    const std::uint16_t argument = m.argument;
    const std::uint16_t kind = m.kind;
    const std::int32_t total = m.totalSize;
    const std::int32_t blockLength = m.blockLength;
    const std::int32_t blocks = m.blockCount;
    const std::int32_t ackEach = m.acknowledgeEach;
    const std::string drop = "transfer header of kind " + std::to_string(kind) + " dropped: ";
    // Who may send which kind, and when.
    if (kind == kTransferOwnTroops) {
        if (!FromSlot(from, sender, ZVCMSG_FILETRANSFER_HEADER)) return;
        if (sender != expectedOwnTroopsSlot_) {
            Log(drop + "slot " + std::to_string(sender) + " was not asked for its troops");
            return;
        }
    } else if (kind == kTransferMap || kind == kTransferSaveGame || kind == kTransferAllTroops) {
        if (!FromServer(from, ZVCMSG_FILETRANSFER_HEADER)) return;
        const int st = state_.load();
        const bool expected = kind == kTransferAllTroops
                                  ? st == kStateSettingsDone
                                  : (st == kStateChoosingMap || st == kStateConnected);
        if (!expected) {
            Log(drop + "not expected in session state " + std::to_string(st));
            return;
        }
    } else {
        Log(drop + "no such kind");
        return;
    }
    const std::uint32_t image = TransferImageSize(kind);
    const bool sizesOk = total > 0 && static_cast<std::uint32_t>(total) <= image &&
                         (argument == kPacked ||
                          (argument == kStored && static_cast<std::uint32_t>(total) == image));
    if (!sizesOk || blockLength <= 0 || static_cast<std::uint32_t>(blockLength) > kMaxBlockLength ||
        (ackEach != 0 && ackEach != 1)) {
        Log(drop + "its sizes or packing are out of range");
        return;
    }
    const std::int64_t expectBlocks = (std::int64_t{total} + blockLength - 1) / blockLength;
    if (blocks != expectBlocks) {
        Log(drop + "its block count " + std::to_string(blocks) + " does not fit its sizes");
        return;
    }
    auto record = std::make_unique<TransferRecord>();
    const std::vector<std::uint8_t> header = Encode(m);
    std::copy(header.begin(), header.end(), record->header.begin());
    record->senderSlot = sender;
    record->kind = kind;
    record->totalSize = static_cast<std::uint32_t>(total);
    record->blockLength = static_cast<std::uint32_t>(blockLength);
    record->blockCount = static_cast<std::uint32_t>(blocks);
    record->buffer.assign(static_cast<std::size_t>(blocks) * static_cast<std::size_t>(blockLength),
                          0);
    acknowledgeEach_ = ackEach;
    transfer_ = std::move(record);
    Notify(W15(1), transfer_.get());
}

std::uint32_t SessionManager::W15(int phase) {
    return (static_cast<std::uint32_t>(phase) << 16) | ZVCMSG_APP_FILETRANSFER;
}

void SessionManager::OnMessage(PlayerId from, const TransferDataMessage& m) {
    TransferRecord* t = transfer_.get();
    if (!t) {
        Log("transfer block dropped: no transfer is open");
        return;
    }
    const bool fromSender = t->kind == kTransferOwnTroops
                                ? SlotOfPlayer(from) == t->senderSlot && hostFlag_
                                : !hostFlag_ && from == serverId_;
    if (!fromSender || m.index < 0 || static_cast<std::uint32_t>(m.index) != t->nextBlock ||
        m.payload.size() != t->blockLength) {
        Log("transfer block " + std::to_string(m.index) +
            " dropped: not the next block of the open transfer");
        return;
    }
    std::memcpy(t->buffer.data() + std::size_t{t->nextBlock} * t->blockLength, m.payload.data(),
                t->blockLength);
    ++t->nextBlock;
    Notify(W15(2), t);
    if (acknowledgeEach_ && !hostFlag_) {
        SendRow(
            transport::kServerPlayer,
            ReceiveOkMessage{.slot = ownSlot_,
                             .missing = static_cast<std::int32_t>(t->blockCount - t->nextBlock)});
    }
    if (t->nextBlock == t->blockCount) {
        const std::uint16_t kind = t->kind;
        Notify(W15(3), t);
        if (!hostFlag_) {
            SendRow(transport::kServerPlayer,
                    ReceiveOkMessage{.slot = ownSlot_, .missing = kTransferComplete, .kind = kind});
        }
    }
}

void SessionManager::OnMessage(PlayerId, const ReceiveOkMessage& m) {
    const std::int32_t slot = m.slot;
    const std::int32_t missing = m.missing;
    const std::int32_t kind = m.kind;
    if (missing == kTransferComplete && (kind < kTransferMap || kind > kTransferSaveGame)) {
        Log("acknowledgement of slot " + std::to_string(slot) + " dropped: no transfer kind " +
            std::to_string(kind));
        return;
    }
    if (missing != -1) {
        lastAcks_[slot] = missing;
        Notify(W(ZVCMSG_RECEIVE_OK, slot), lastAcks_.data());
    }
    if (missing != kTransferComplete) return;
    // Each client counts once per transfer.
    if (ackCounters_[slot] != 0) {
        Log("acknowledgement of slot " + std::to_string(slot) +
            " ignored: it acknowledged already");
        return;
    }
    ackCounters_[slot] = 1;
    for (int s = 1; s < kSlotCount; ++s) {
        if (slotStates_[s] == 1 && ackCounters_[s] == 0) return;
    }
    Notify(W(ZVCMSG_RECEIVE_OK, 0xFFFF),
           reinterpret_cast<const void*>(static_cast<std::intptr_t>(kind)));
}

// ---- GUI thread -----------------------------------------------------------------------------

void SessionManager::OnTransferEvent(int phase, const TransferRecord* record) {
    if (!record) return;
    if (phase == 1) {
        if (record->kind == kTransferAllTroops) gui_->CloseNetworkWaitWindow();
        if (record->kind == kTransferOwnTroops) {
            sendingSlot_ = record->senderSlot;
            const std::uint32_t word = GetSlotValue(record->senderSlot);
            receivingCountry_ = word >= 1 && word <= 4 ? static_cast<int>(word) - 1 : 6;
        }
        gui_->TransferProgress(true, NetworkGui::Progress::Show,
                               static_cast<int>(record->blockCount));
    } else if (phase == 2) {
        gui_->TransferProgress(true, NetworkGui::Progress::Step, 0);
    } else if (phase == 3) {
        ReceiveImage(*record);
        gui_->TransferProgress(true, NetworkGui::Progress::Hide, 0);
        if (transfer_.get() == record) transfer_.reset();
    }
}

bool SessionManager::UnpackImage(const TransferRecord& record, std::vector<std::uint8_t>& image) {
    const std::uint32_t size = TransferImageSize(record.kind);
    if (size == 0 || record.totalSize > record.buffer.size()) return false;
    image.assign(size, 0);
    const std::uint16_t argument =
        ReadAccepted<TransferHeaderMessage>(record.header.data()).argument;
    const std::span<const std::uint8_t> src(record.buffer.data(), record.totalSize);
    const int n = rules::RleDecode(image, src, argument == kStored ? 2 : 0);
    return n == static_cast<int>(size);
}

void SessionManager::ReceiveImage(const TransferRecord& record) {
    std::vector<std::uint8_t> image;
    const bool whole = tables_ && UnpackImage(record, image);
    int country = 0;
    if (record.kind == kTransferOwnTroops) {
        country = receivingCountry_;
        bool own = whole && country >= 0 && country < rules::kCountryCount;
        // Only the sender's own country's troops.
        for (std::uint32_t i = 0; own && i < kTroopsPerCountry; ++i) {
            const std::uint8_t* troop = image.data() + i * rules::kTroopRecordSize;
            rules::TroopRecord r;
            std::memcpy(r.data(), troop, rules::kTroopRecordSize);
            if (r.IsUsed() && r.Country() != country) own = false;
        }
        if (!own) {
            Log("troops of slot " + std::to_string(sendingSlot_) +
                " refused: the image is damaged or not its own");
        }
        if (sendingSlot_ >= 0 && sendingSlot_ < kSlotCount) delivered_[sendingSlot_] = own ? 1 : 0;
        if (own) {
            std::uint32_t at = 0;
            for (const Part& p : ImageParts(kTransferOwnTroops, country)) {
                std::memcpy(tables_->GetTableBase(p.table) + p.offset, image.data() + at, p.size);
                at += p.size;
            }
            rules::CountryCursor countries(*tables_);
            if (countries.Select(country)) countries.SetFunds(rules::ReadS32(image.data(), at));
            if (rules::CountryTable25Record* stats = rules::GetCountryStats(*tables_, static_cast<std::uint8_t>(country))) {
                std::memcpy(stats->data(), image.data() + at + 4, kStatsRecord);
            }
            gui_->TablesReceived(record.kind);
        }
        receivingCountry_ = 6;
        expectedOwnTroopsSlot_ = kNoSlot;
        SendYourTurnToNextPlayer();
        return;
    }
    if (whole) {
        std::uint32_t at = 0;
        for (const Part& p : ImageParts(record.kind, 0)) {
            std::memcpy(tables_->GetTableBase(p.table) + p.offset, image.data() + at, p.size);
            at += p.size;
        }
        if (record.kind == kTransferAllTroops) {
            rules::CountryCursor countries(*tables_);
            for (std::uint8_t c = 0; c < 4; ++c) {
                const std::uint32_t entry = at + c * (4 + kStatsRecord);
                if (countries.Select(c)) countries.SetFunds(rules::ReadS32(image.data(), entry));
                if (rules::CountryTable25Record* stats = rules::GetCountryStats(*tables_, c)) {
                    std::memcpy(stats->data(), image.data() + entry + 4, kStatsRecord);
                }
            }
        }
        gui_->TablesReceived(record.kind);
    } else {
        Log("image of kind " + std::to_string(record.kind) +
            " changed nothing: it does not unpack to its size");
    }
    if (record.kind == kTransferMap) SetNetFromSave(0);
    if (record.kind == kTransferSaveGame) SetNetFromSave(1);
}

int SessionManager::SendYourTurnToNextPlayer() {
    for (int s = 0; s < kSlotCount; ++s) {
        if (s == ownSlot_ || slotStates_[s] != 1 || delivered_[s]) continue;
        const std::uint32_t word = GetSlotValue(s);
        if (word < 1 || word > 4) continue;
        expectedOwnTroopsSlot_ = s;
        SendYourTurn(s, 0, 0);
        return 0;
    }
    SendAllTroopData();
    return 1;
}

void SessionManager::MarkPlayerDelivered(int slot) {
    if (slot < 0 || slot >= kSlotCount) return;
    arranged_[slot] = 1;
    for (int s = 0; s < kSlotCount; ++s) {
        if (s == ownSlot_ || slotStates_[s] != 1) continue;
        const std::uint32_t word = GetSlotValue(s);
        if (word >= 1 && word <= 4 && !arranged_[s]) return;
    }
    delivered_.fill(0);
    gui_->EnableOrganizeGameStart(true);
}

void SessionManager::ClearReadyFlags() {
    arranged_.fill(0);
}

void SessionManager::SetNetFromSave(int fromSave) {
    netFromSave_ = fromSave;
}

}  // namespace zv::net
