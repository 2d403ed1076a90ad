// Parses HID report descriptors into per-collection capabilities and decodes reports with them.
#include "device/hid/report_descriptor.h"

#include <algorithm>
#include <map>
#include <utility>

namespace vorlin {
namespace {

using L = HidParseLimits;

struct Globals {
    uint16_t usagePage = 0;
    int64_t logicalMin = 0;
    uint32_t logicalMaxRaw = 0;
    int logicalMaxBytes = 0;
    int64_t physicalMin = 0;
    uint32_t physicalMaxRaw = 0;
    int physicalMaxBytes = 0;
    uint32_t unitExp = 0;
    uint32_t unit = 0;
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint8_t reportId = 0;
};

struct UsageEntry {
    bool extended = false;  // page given in the item itself
    uint16_t page = 0;
    uint16_t min = 0;
    uint16_t max = 0;
};

struct Locals {
    std::vector<UsageEntry> usages;
    bool haveMin = false;
    bool haveMax = false;
    uint32_t minRaw = 0, maxRaw = 0;
    int minBytes = 0, maxBytes = 0;
    int delimiterDepth = 0;
    int delimiterUsages = 0;  // usages seen inside the open delimiter set
    void clear() { *this = Locals{}; }
};

int64_t SignExtend(uint32_t v, int bytes) {
    switch (bytes) {
        case 1:
            return static_cast<int8_t>(v);
        case 2:
            return static_cast<int16_t>(v);
        case 4:
            return static_cast<int32_t>(v);
        default:
            return 0;
    }
}

// A maximum is read as signed only when its minimum is negative, as HID devices expect.
int64_t ResolveMax(int64_t min, uint32_t raw, int bytes) {
    return min < 0 ? SignExtend(raw, bytes) : static_cast<int64_t>(raw);
}

int32_t Clamp32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

struct Collection {
    std::shared_ptr<HidPreparsedData> pd;
    // Bits used so far per report type and id.
    std::array<std::map<uint8_t, uint32_t>, 3> bits;
    uint32_t fieldCount = 0;
    std::array<uint32_t, 3> slots{};  // data fields' report counts per type
    uint16_t linkCount = 0;
    std::vector<uint16_t> linkStack;  // link collection numbers, innermost last
};

class Parser {
  public:
    Parser(HidDescriptorInfo& out, std::string* error) : out_(out), error_(error) {}

    bool Run(const uint8_t* data, size_t size) {
        if (!data && size) return Fail("no data");
        if (size > L::kMaxDescriptorBytes) return Fail("descriptor too long");
        size_t pos = 0;
        while (pos < size) {
            uint8_t prefix = data[pos];
            if (prefix == 0xFE) {  // long item: no long item tags are defined, skip it
                if (size - pos < 3) return Fail("truncated long item");
                size_t n = data[pos + 1];
                if (size - pos - 3 < n) return Fail("truncated long item");
                pos += 3 + n;
                continue;
            }
            int n = prefix & 3;
            if (n == 3) n = 4;
            if (size - pos - 1 < static_cast<size_t>(n)) return Fail("truncated item");
            uint32_t u = 0;
            for (int i = 0; i < n; ++i) u |= static_cast<uint32_t>(data[pos + 1 + i]) << (8 * i);
            int type = (prefix >> 2) & 3;
            int tag = prefix >> 4;
            pos += 1 + n;
            bool ok = true;
            switch (type) {
                case 0:
                    ok = Main(tag, u);
                    break;
                case 1:
                    ok = Global(tag, u, n);
                    break;
                case 2:
                    ok = Local(tag, u, n);
                    break;
                default:
                    break;  // reserved items are ignored
            }
            if (!ok) return false;
        }
        if (depth_ != 0) return Fail("unclosed collection");
        for (auto& c : done_) {
            c->numbered = numbered_;  // a report id anywhere numbers every collection
            out_.collections.push_back(std::move(c));
        }
        out_.numbered = numbered_;
        return true;
    }

  private:
    bool Fail(const char* why) {
        if (error_) *error_ = why;
        out_.collections.clear();
        return false;
    }

    bool Global(int tag, uint32_t u, int n) {
        switch (tag) {
            case 0:
                g_.usagePage = static_cast<uint16_t>(u);
                break;
            case 1:
                g_.logicalMin = SignExtend(u, n);
                break;
            case 2:
                g_.logicalMaxRaw = u;
                g_.logicalMaxBytes = n;
                break;
            case 3:
                g_.physicalMin = SignExtend(u, n);
                break;
            case 4:
                g_.physicalMaxRaw = u;
                g_.physicalMaxBytes = n;
                break;
            case 5:
                g_.unitExp = u;
                break;
            case 6:
                g_.unit = u;
                break;
            case 7:
                if (u > L::kMaxReportSize) return Fail("report size too large");
                g_.reportSize = u;
                break;
            case 8:
                if (u == 0 || u > 255) return Fail("bad report id");
                g_.reportId = static_cast<uint8_t>(u);
                numbered_ = true;
                break;
            case 9:
                if (u > L::kMaxReportCount) return Fail("report count too large");
                g_.reportCount = u;
                break;
            case 10:
                if (stack_.size() >= L::kMaxPushDepth) return Fail("push too deep");
                stack_.push_back(g_);
                break;
            case 11:
                if (stack_.empty()) return Fail("pop without push");
                g_ = stack_.back();
                stack_.pop_back();
                break;
            default:
                break;
        }
        return true;
    }

    bool AddUsage(UsageEntry e) {
        if (l_.delimiterDepth > 0 && l_.delimiterUsages++ > 0) return true;  // first alternate only
        if (l_.usages.size() >= L::kMaxUsageEntries) return Fail("too many usages");
        l_.usages.push_back(e);
        return true;
    }

    bool Local(int tag, uint32_t u, int n) {
        switch (tag) {
            case 0: {
                UsageEntry e;
                e.extended = n == 4;
                e.page = static_cast<uint16_t>(u >> 16);
                e.min = e.max = static_cast<uint16_t>(u);
                return AddUsage(e);
            }
            case 1:
                l_.haveMin = true;
                l_.minRaw = u;
                l_.minBytes = n;
                return RangeIfComplete();
            case 2:
                l_.haveMax = true;
                l_.maxRaw = u;
                l_.maxBytes = n;
                return RangeIfComplete();
            case 10:
                if (u == 1) {
                    if (l_.delimiterDepth > 0) return Fail("nested delimiter");
                    l_.delimiterDepth = 1;
                    l_.delimiterUsages = 0;
                } else if (u == 0) {
                    if (l_.delimiterDepth == 0) return Fail("unbalanced delimiter");
                    l_.delimiterDepth = 0;
                }
                return true;
            default:
                return true;  // designators and strings carry nothing we decode
        }
    }

    bool RangeIfComplete() {
        if (!l_.haveMin || !l_.haveMax) return true;
        l_.haveMin = l_.haveMax = false;
        UsageEntry e;
        e.extended = l_.minBytes == 4 || l_.maxBytes == 4;
        uint16_t pageMin = static_cast<uint16_t>(l_.minRaw >> 16);
        uint16_t pageMax = static_cast<uint16_t>(l_.maxRaw >> 16);
        if (e.extended && l_.minBytes == 4 && l_.maxBytes == 4 && pageMin != pageMax)
            return Fail("usage range spans pages");
        e.page = l_.minBytes == 4 ? pageMin : pageMax;
        e.min = static_cast<uint16_t>(l_.minRaw);
        e.max = static_cast<uint16_t>(l_.maxRaw);
        if (e.min > e.max) return Fail("usage range reversed");
        return AddUsage(e);
    }

    bool Main(int tag, uint32_t u) {
        bool ok = true;
        switch (tag) {
            case 8:
                ok = Data(HidReportType::Input, u);
                break;
            case 9:
                ok = Data(HidReportType::Output, u);
                break;
            case 11:
                ok = Data(HidReportType::Feature, u);
                break;
            case 10:
                ok = Open();
                break;
            case 12:
                ok = CloseCollection();
                break;
            default:
                break;
        }
        if (l_.delimiterDepth > 0 && ok) return Fail("main item inside delimiter");
        l_.clear();
        return ok;
    }

    uint16_t PageOf(const UsageEntry& e) const { return e.extended ? e.page : g_.usagePage; }

    bool Open() {
        if (depth_ >= L::kMaxDepth) return Fail("collections nested too deep");
        if (depth_ == 0) {
            if (done_.size() >= L::kMaxCollections) return Fail("too many collections");
            cur_ = Collection{};
            cur_.pd = std::make_shared<HidPreparsedData>();
            if (!l_.usages.empty()) {
                cur_.pd->caps.usagePage = PageOf(l_.usages.front());
                cur_.pd->caps.usage = l_.usages.front().min;
            } else {
                cur_.pd->caps.usagePage = g_.usagePage;
            }
            cur_.linkCount = 1;
            cur_.linkStack.assign(1, 0);
        } else {
            if (cur_.linkCount >= L::kMaxCollections) return Fail("too many collections");
            cur_.linkStack.push_back(cur_.linkCount++);
        }
        ++depth_;
        return true;
    }

    bool CloseCollection() {
        if (depth_ == 0) return Fail("end collection without collection");
        --depth_;
        cur_.linkStack.pop_back();
        if (depth_ == 0) Finish();
        return true;
    }

    void Finish() {
        HidPreparsedData& pd = *cur_.pd;
        HidCaps& c = pd.caps;
        c.numberLinkCollectionNodes = cur_.linkCount;
        uint16_t* len[3] = {&c.inputReportByteLength, &c.outputReportByteLength,
                            &c.featureReportByteLength};
        uint16_t* nb[3] = {&c.numberInputButtonCaps, &c.numberOutputButtonCaps,
                           &c.numberFeatureButtonCaps};
        uint16_t* nv[3] = {&c.numberInputValueCaps, &c.numberOutputValueCaps,
                           &c.numberFeatureValueCaps};
        uint16_t* ni[3] = {&c.numberInputDataIndices, &c.numberOutputDataIndices,
                           &c.numberFeatureDataIndices};
        for (int t = 0; t < 3; ++t) {
            HidReportTypeData& td = pd.types[t];
            for (auto& [id, bits] : cur_.bits[t]) {
                td.maxReportBits = std::max(td.maxReportBits, bits);
                if (bits > 0) td.reportIds.push_back(id);
            }
            // Whole bytes of the largest report, plus the id byte that Windows always counts.
            *len[t] = td.present ? static_cast<uint16_t>((td.maxReportBits + 7) / 8 + 1) : 0;
            *nb[t] = static_cast<uint16_t>(td.buttonCaps.size());
            *nv[t] = static_cast<uint16_t>(td.valueCaps.size());
            uint32_t indices = 0;
            for (auto& b : td.buttonCaps) indices += b.usageMax - b.usageMin + 1u;
            for (auto& v : td.valueCaps) indices += v.usageMax - v.usageMin + 1u;
            *ni[t] = static_cast<uint16_t>(std::min<uint32_t>(indices, UINT16_MAX));
        }
        done_.push_back(std::move(cur_.pd));
        cur_ = Collection{};
    }

    bool Data(HidReportType type, uint32_t flags) {
        if (depth_ == 0) return true;  // data outside any collection belongs to nobody
        int t = static_cast<int>(type);
        HidReportTypeData& td = cur_.pd->types[t];
        td.present = true;
        uint64_t fieldBits = uint64_t{g_.reportSize} * g_.reportCount;
        uint32_t& used = cur_.bits[t][g_.reportId];
        uint32_t offset = used;
        if (offset + fieldBits > uint64_t{L::kMaxReportBytes} * 8) return Fail("report too long");
        used = static_cast<uint32_t>(offset + fieldBits);
        // Only a constant field without a usage is padding; one that names a usage is a
        // capability like any other, as Windows counts it.
        if (fieldBits == 0 || ((flags & 1) && l_.usages.empty())) return true;

        cur_.slots[t] += g_.reportCount;
        if (cur_.slots[t] > L::kMaxSlotsPerType) return Fail("too many data fields");
        uint32_t fieldId = cur_.fieldCount++;
        bool variable = flags & 2;
        int64_t lmin = g_.logicalMin;
        int64_t lmax = ResolveMax(lmin, g_.logicalMaxRaw, g_.logicalMaxBytes);
        int64_t pmin = g_.physicalMin;
        int64_t pmax = ResolveMax(pmin, g_.physicalMaxRaw, g_.physicalMaxBytes);
        std::vector<UsageEntry> usages = l_.usages;
        if (usages.empty()) usages.push_back(UsageEntry{});

        auto button = [&](const UsageEntry& e, uint32_t bitOffset, uint32_t count, bool array,
                          uint32_t base) {
            if (td.buttonCaps.size() >= L::kMaxCapsPerType) return Fail("too many capabilities");
            HidButtonCaps b;
            b.usagePage = PageOf(e);
            b.reportId = g_.reportId;
            b.isRange = e.min != e.max;
            b.isAbsolute = !(flags & 4);
            b.usageMin = e.min;
            b.usageMax = e.max;
            b.linkCollection = cur_.linkStack.back();
            b.bitField = static_cast<uint16_t>(flags);
            b.isArray = array;
            b.bitOffset = bitOffset;
            b.bitSize = static_cast<uint16_t>(g_.reportSize);
            b.reportCount = static_cast<uint16_t>(count);
            b.logicalMin = Clamp32(lmin);
            b.logicalMax = Clamp32(lmax);
            td.buttonCaps.push_back(b);
            td.buttonIndexBase.push_back(base);
            td.buttonFieldId.push_back(fieldId);
            return true;
        };

        if (!variable) {
            // An array field: every usage entry names the usages its logical values select.
            uint32_t base = 0;
            for (const auto& e : usages) {
                if (!button(e, offset, g_.reportCount, true, base)) return false;
                base += e.max - e.min + 1u;
            }
            return true;
        }

        // A variable field: usages are handed out to its slots in order; surplus slots repeat
        // the last usage and surplus usages are dropped.
        bool isButton = g_.reportSize == 1;
        uint32_t slot = 0;
        for (const auto& e0 : usages) {
            if (slot >= g_.reportCount) break;
            UsageEntry e = e0;
            uint32_t n = e.max - e.min + 1u;
            uint32_t take = std::min(n, g_.reportCount - slot);
            e.max = static_cast<uint16_t>(e.min + take - 1);
            uint32_t bitOffset = offset + slot * g_.reportSize;
            uint32_t count = take;
            slot += take;
            if (&e0 == &usages.back() || slot >= g_.reportCount) {
                count += g_.reportCount - slot;
                slot = g_.reportCount;
            }
            if (isButton) {
                if (!button(e, bitOffset, count, false, 0)) return false;
                continue;
            }
            if (td.valueCaps.size() >= L::kMaxCapsPerType) return Fail("too many capabilities");
            HidValueCaps v;
            v.usagePage = PageOf(e);
            v.reportId = g_.reportId;
            v.isRange = e.min != e.max;
            v.isAbsolute = !(flags & 4);
            v.hasNull = flags & 0x40;
            v.usageMin = e.min;
            v.usageMax = e.max;
            v.linkCollection = cur_.linkStack.back();
            v.bitField = static_cast<uint16_t>(flags);
            v.bitOffset = bitOffset;
            v.bitSize = static_cast<uint16_t>(g_.reportSize);
            v.reportCount = static_cast<uint16_t>(count);
            v.logicalMin = Clamp32(lmin);
            v.logicalMax = Clamp32(lmax);
            v.physicalMin = Clamp32(pmin);
            v.physicalMax = Clamp32(pmax);
            v.units = g_.unit;
            v.unitsExp = g_.unitExp;
            td.valueCaps.push_back(v);
        }
        return true;
    }

    HidDescriptorInfo& out_;
    std::string* error_;
    Globals g_;
    Locals l_;
    std::vector<Globals> stack_;
    int depth_ = 0;
    bool numbered_ = false;
    Collection cur_;
    std::vector<std::shared_ptr<HidPreparsedData>> done_;
};

// Bits [bitPos, bitPos + bitSize) of the report, little-endian; bitSize <= 32.
uint32_t ExtractBits(const uint8_t* report, uint64_t bitPos, uint32_t bitSize) {
    uint32_t v = 0;
    for (uint32_t i = 0; i < bitSize; ++i) {
        uint64_t b = bitPos + i;
        if (report[b / 8] & (1u << (b % 8))) v |= 1u << i;
    }
    return v;
}

bool Fits(uint64_t bitOffset, uint64_t bits, size_t reportLength) {
    return (8 + bitOffset + bits + 7) / 8 <= reportLength;
}

bool ValidType(HidReportType t) {
    int i = static_cast<int>(t);
    return i >= 0 && i < 3;
}

// The value cap holding the usage, matched to the report id; the status says why none did.
HidStatus FindValue(HidReportType type, uint16_t usagePage, uint16_t linkCollection, uint16_t usage,
                    const HidPreparsedData* pd, const uint8_t* report, size_t reportLength,
                    const HidValueCaps** cap) {
    if (!pd || !ValidType(type)) return HidStatus::InvalidReportType;
    if (!report || reportLength == 0) return HidStatus::InvalidReportLength;
    bool sawUsage = false;
    for (const auto& v : pd->of(type).valueCaps) {
        if (v.usagePage != usagePage || usage < v.usageMin || usage > v.usageMax) continue;
        if (linkCollection && v.linkCollection != linkCollection) continue;
        sawUsage = true;
        if (v.reportId != report[0]) continue;
        *cap = &v;
        return HidStatus::Success;
    }
    return sawUsage ? HidStatus::IncompatibleReportId : HidStatus::UsageNotFound;
}

HidStatus ReadValue(const HidValueCaps& v, uint16_t usage, const uint8_t* report,
                    size_t reportLength, uint32_t* raw) {
    if (v.bitSize > 32) return HidStatus::BufferTooSmall;
    uint64_t bitPos = v.bitOffset + static_cast<uint64_t>(usage - v.usageMin) * v.bitSize;
    if (!Fits(bitPos, v.bitSize, reportLength)) return HidStatus::InvalidReportLength;
    *raw = ExtractBits(report, 8 + bitPos, v.bitSize);
    return HidStatus::Success;
}

int64_t Signed(uint32_t raw, uint16_t bitSize, int32_t logicalMin) {
    if (logicalMin >= 0 || bitSize == 0 || bitSize >= 32) {
        return logicalMin < 0 ? static_cast<int32_t>(raw) : static_cast<int64_t>(raw);
    }
    uint32_t sign = 1u << (bitSize - 1);
    return static_cast<int64_t>(raw ^ sign) - sign;
}

}  // namespace

bool ParseReportDescriptor(const uint8_t* data, size_t size, HidDescriptorInfo& out,
                           std::string* error) {
    out = HidDescriptorInfo{};
    Parser p(out, error);
    return p.Run(data, size);
}

std::vector<uint8_t> InputReportIds(const HidPreparsedData& pd) {
    if (!pd.numbered) return {};
    return pd.of(HidReportType::Input).reportIds;
}

namespace hidp {

namespace {

// Zero for page, link collection or usage means "any", as in the HidP_GetSpecific* calls.
template <typename Caps>
HidStatus SelectCaps(const std::vector<Caps>& all, uint16_t usagePage, uint16_t linkCollection,
                     uint16_t usage, std::vector<Caps>& out) {
    for (const Caps& c : all) {
        if (usagePage && c.usagePage != usagePage) continue;
        if (linkCollection && c.linkCollection != linkCollection) continue;
        if (usage && (usage < c.usageMin || usage > c.usageMax)) continue;
        out.push_back(c);
    }
    return out.empty() ? HidStatus::UsageNotFound : HidStatus::Success;
}

}  // namespace

HidStatus GetCaps(const HidPreparsedData* pd, HidCaps& caps) {
    if (!pd) return HidStatus::InvalidReportType;
    caps = pd->caps;
    return HidStatus::Success;
}

HidStatus GetSpecificButtonCaps(HidReportType type, uint16_t usagePage, uint16_t linkCollection,
                                uint16_t usage, std::vector<HidButtonCaps>& out,
                                const HidPreparsedData* pd) {
    out.clear();
    if (!pd || !ValidType(type)) return HidStatus::InvalidReportType;
    return SelectCaps(pd->of(type).buttonCaps, usagePage, linkCollection, usage, out);
}

HidStatus GetSpecificValueCaps(HidReportType type, uint16_t usagePage, uint16_t linkCollection,
                               uint16_t usage, std::vector<HidValueCaps>& out,
                               const HidPreparsedData* pd) {
    out.clear();
    if (!pd || !ValidType(type)) return HidStatus::InvalidReportType;
    return SelectCaps(pd->of(type).valueCaps, usagePage, linkCollection, usage, out);
}

uint32_t MaxUsageListLength(HidReportType type, uint16_t usagePage, const HidPreparsedData* pd) {
    if (!pd || !ValidType(type)) return 0;
    const HidReportTypeData& td = pd->of(type);
    uint32_t total = 0;
    uint32_t lastArrayField = UINT32_MAX;
    for (size_t i = 0; i < td.buttonCaps.size(); ++i) {
        const auto& b = td.buttonCaps[i];
        if (usagePage && b.usagePage != usagePage) continue;
        if (b.isArray) {
            // The caps of one array field share its slots; count them once.
            if (td.buttonFieldId[i] == lastArrayField) continue;
            lastArrayField = td.buttonFieldId[i];
        }
        total += b.reportCount;
    }
    return total;
}

HidStatus GetUsages(HidReportType type, uint16_t usagePage, uint16_t linkCollection,
                    uint16_t* usageList, uint32_t* length, const HidPreparsedData* pd,
                    const uint8_t* report, size_t reportLength) {
    if (!length) return HidStatus::BufferTooSmall;
    uint32_t room = *length;
    *length = 0;
    if (!pd || !ValidType(type)) return HidStatus::InvalidReportType;
    if (!report || reportLength == 0) return HidStatus::InvalidReportLength;
    if (room && !usageList) return HidStatus::BufferTooSmall;
    const HidReportTypeData& td = pd->of(type);
    bool sawPage = false, sawId = false;
    uint32_t found = 0;
    auto put = [&](uint16_t u) {
        if (found < room) usageList[found] = u;
        ++found;
    };
    for (size_t i = 0; i < td.buttonCaps.size(); ++i) {
        const auto& b = td.buttonCaps[i];
        if (b.usagePage != usagePage) continue;
        if (linkCollection && b.linkCollection != linkCollection) continue;
        sawPage = true;
        if (b.reportId != report[0]) continue;
        sawId = true;
        if (!Fits(b.bitOffset, uint64_t{b.bitSize} * b.reportCount, reportLength))
            return HidStatus::InvalidReportLength;
        if (!b.isArray) {
            for (uint32_t s = 0; s < b.reportCount; ++s) {
                if (!ExtractBits(report, 8 + b.bitOffset + s, 1)) continue;
                uint32_t u = b.usageMin + s;
                put(static_cast<uint16_t>(std::min<uint32_t>(u, b.usageMax)));
            }
            continue;
        }
        if (b.bitSize > 32) continue;
        uint32_t base = td.buttonIndexBase[i];
        uint32_t span = b.usageMax - b.usageMin;
        for (uint32_t s = 0; s < b.reportCount; ++s) {
            uint32_t raw =
                ExtractBits(report, 8 + b.bitOffset + uint64_t{s} * b.bitSize, b.bitSize);
            int64_t v = Signed(raw, b.bitSize, b.logicalMin);
            if (v < b.logicalMin || v > b.logicalMax) continue;  // null: no key in this slot
            int64_t index = v - b.logicalMin;
            if (index < base || index > int64_t{base} + span) continue;
            uint16_t u = static_cast<uint16_t>(b.usageMin + (index - base));
            if (u != 0) put(u);
        }
    }
    if (!sawPage) return HidStatus::UsageNotFound;
    if (!sawId) return HidStatus::IncompatibleReportId;
    *length = std::min(found, room);
    return found > room ? HidStatus::BufferTooSmall : HidStatus::Success;
}

HidStatus GetUsageValue(HidReportType type, uint16_t usagePage, uint16_t linkCollection,
                        uint16_t usage, uint32_t* value, const HidPreparsedData* pd,
                        const uint8_t* report, size_t reportLength) {
    const HidValueCaps* cap = nullptr;
    HidStatus st =
        FindValue(type, usagePage, linkCollection, usage, pd, report, reportLength, &cap);
    if (st != HidStatus::Success) return st;
    uint32_t raw = 0;
    st = ReadValue(*cap, usage, report, reportLength, &raw);
    if (st == HidStatus::Success && value) *value = raw;
    return st;
}

HidStatus GetScaledUsageValue(HidReportType type, uint16_t usagePage, uint16_t linkCollection,
                              uint16_t usage, int32_t* value, const HidPreparsedData* pd,
                              const uint8_t* report, size_t reportLength) {
    const HidValueCaps* cap = nullptr;
    HidStatus st =
        FindValue(type, usagePage, linkCollection, usage, pd, report, reportLength, &cap);
    if (st != HidStatus::Success) return st;
    uint32_t raw = 0;
    st = ReadValue(*cap, usage, report, reportLength, &raw);
    if (st != HidStatus::Success) return st;
    int64_t lmin = cap->logicalMin, lmax = cap->logicalMax;
    int64_t pmin = cap->physicalMin, pmax = cap->physicalMax;
    if (pmin == 0 && pmax == 0) {  // no physical extent given: it equals the logical one
        pmin = lmin;
        pmax = lmax;
    }
    if (lmin >= lmax || pmin >= pmax) return HidStatus::BadLogPhyValues;
    int64_t v = Signed(raw, cap->bitSize, cap->logicalMin);
    if (v < lmin || v > lmax)
        return cap->hasNull ? HidStatus::NullValue : HidStatus::ValueOutOfRange;
    __int128 scaled = pmin + static_cast<__int128>(v - lmin) * (pmax - pmin) / (lmax - lmin);
    if (value) *value = static_cast<int32_t>(scaled);
    return HidStatus::Success;
}

}  // namespace hidp
}  // namespace vorlin
