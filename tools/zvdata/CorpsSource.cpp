#include "tools/zvdata/CorpsSource.h"

#include "platform/core/Sjis.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/RuleCursors.h"
#include "tools/zvdata/RuleSetCheck.h"
#include "tools/zvdata/SourceText.h"

namespace zv::zvdata {

namespace {

constexpr int kOrganisationLimit = 80;

bool FitsSjis(const std::string& utf8, std::size_t maxBytes) {
    const std::string sjis = core::Utf8ToSjis(utf8);
    return sjis.size() <= maxBytes && core::SjisToUtf8(sjis) == utf8;
}

int FindProductionType(const rules::TableDirectory& tables, const std::string& utf8) {
    for (int k = 0; k < rules::kProductionTypeCount; ++k)
        if (rules::IsProductionTypePresent(tables, k) &&
            core::SjisToUtf8(rules::GetProductionTypeName(tables, k)) == utf8)
            return k;
    return -1;
}

}  // namespace

bool CompileCorps(rules::TableDirectory& tables, const std::string& sourceName,
                  std::string_view utf8, std::string& error) {
    const UnitNames names(tables);
    rules::ForceCursor corps(tables, 5);
    corps.SelectSlot(5);
    corps.ClearForce();

    std::string corpsName, comment;
    int type = -1;
    int troops = 0, templates = 0, deployableHq = 0;
    for (const SourceLine& line : ReadSourceLines(utf8)) {
        const std::string where = sourceName + " line " + std::to_string(line.number) + ": ";
        const bool isTroop = line.text.rfind("troop ", 0) == 0;
        const bool isTemplate = line.text.rfind("template ", 0) == 0;
        if (isTroop || isTemplate) {
            if (type < 0) {
                error = where + "the production type must come before the troops";
                return false;
            }
            TroopSpec spec;
            std::string reason;
            if (!ParseTroopSpec(std::string_view(line.text).substr(isTroop ? 6 : 9), names, spec,
                                reason)) {
                error = where + reason;
                return false;
            }
            if (!spec.carrier.empty()) {
                error = where + "a corps troop starts in the corps, not aboard another";
                return false;
            }
            int hq = 0;
            reason = CheckTroopMembers(tables, spec, &hq);
            if (!reason.empty()) {
                error = where + reason;
                return false;
            }
            rules::UnitInfoCursor unit(tables);
            rules::UnitKindCursor kind(tables);
            for (std::int16_t u : spec.units) {
                unit.Select(u);
                kind.Select(unit.GetUnitKind());
                if (!(static_cast<std::uint32_t>(unit.GetProductionSides()) >> type & 1u) ||
                    !(kind.GetClassFlags() & kClassOffered)) {
                    error = where + core::SjisToUtf8(unit.GetName()) +
                            " is not offered to this production type";
                    return false;
                }
            }
            if ((isTroop ? ++troops : ++templates) > kOrganisationLimit) {
                error = where + "the organisation keeps at most 80 troops and 80 templates";
                return false;
            }
            const std::uint16_t slot = corps.FindFreeTroopSlot();
            if (slot == rules::kNoTroop || !corps.SelectForceTroop(slot)) {
                error = where + "the corps is full";
                return false;
            }
            if (!BuildTroop(corps, spec, 5, rules::kNoHex, reason)) {
                error = where + reason;
                return false;
            }
            if (isTemplate)
                corps.SetStateFlags(
                    static_cast<std::uint16_t>(corps.GetStateFlags() | rules::kTroopTemplate));
            else
                deployableHq += hq;
            continue;
        }
        std::string key, value;
        if (!SplitSetting(line.text, key, value)) {
            error = where + "expected 'key = value', 'troop ...' or 'template ...'";
            return false;
        }
        if (key == "name") {
            if (value.empty() || !FitsSjis(value, rules::ForceRecord::kNameSize)) {
                error = where + "the corps name must have 1 to 24 Shift-JIS bytes";
                return false;
            }
            corpsName = value;
        } else if (key == "comment") {
            if (!FitsSjis(value, rules::ForceRecord::kCommentSize - 1)) {
                error = where + "the comment must fit 255 Shift-JIS bytes";
                return false;
            }
            comment = value;
        } else if (key == "type") {
            type = FindProductionType(tables, value);
            if (type < 0) {
                error = where + "no production type is named '" + value + "'";
                return false;
            }
        } else {
            error = where + "unknown setting '" + key + "'";
            return false;
        }
    }
    if (corpsName.empty() || type < 0) {
        error = sourceName + ": a corps needs a name and a type";
        return false;
    }
    if (deployableHq == 0) {
        error = sourceName + ": a corps needs a headquarters troop to deploy";
        return false;
    }
    corps.SelectSlot(5);
    corps.SetName(core::Utf8ToSjis(corpsName).c_str());
    corps.SetComment(core::Utf8ToSjis(comment).c_str());
    corps.SetHeaderWord288(static_cast<std::uint16_t>(type));
    return true;
}

}  // namespace zv::zvdata
