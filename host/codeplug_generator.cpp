#include "host/codeplug_generator.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <random>
#include <string>
#include <string_view>

namespace {

// std::mt19937 is defined to the bit, the standard's distributions are not:
// draws are made here so that a seed gives the same codeplug everywhere.
class random_source {
public:
    explicit random_source(std::uint32_t seed) : engine_(seed) {}

    // A number in [0, bound); bound is at least 1.
    std::uint32_t below(std::uint32_t bound) {
        return static_cast<std::uint32_t>((std::uint64_t{engine_()} * bound) >> 32);
    }
    bool chance(std::uint32_t percent) { return below(100) < percent; }

    template <typename T, std::size_t N>
    const T& pick(const T (&choices)[N]) {
        return choices[below(N)];
    }

private:
    std::mt19937 engine_;
};

// Type codes as a radio's tables might give them; the library carries them
// without reading them.
constexpr BYTE kFlagType = 1;
constexpr BYTE kNumberType = 2;
constexpr BYTE kTextType = 3;
constexpr BYTE kFrequencyType = 4;

constexpr int kGroupSize = 16;

constexpr std::string_view kServices[] = {"Fire Dispatch", "Fire Tac",     "Police Main", "Police Tac",
                                          "EMS Ops",       "Public Works", "Mutual Aid",  "Car To Car"};
constexpr std::string_view kDirections[] = {"North", "South", "East", "West", "Central"};
constexpr std::string_view kTones[] = {"67.0",  "71.9",  "77.0",  "82.5",  "88.5",  "94.8",  "100.0", "103.5",
                                       "107.2", "110.9", "114.8", "118.8", "123.0", "127.3", "131.8", "136.5",
                                       "141.3", "146.2", "151.4", "156.7", "162.2", "167.9", "173.8", "179.9",
                                       "186.2", "192.8", "203.5", "210.7", "218.1", "225.7", "233.6", "250.3"};
constexpr std::string_view kDigitalCodes[] = {
    "023", "025", "026", "031", "032", "043", "047", "051", "054", "065", "071", "072", "073", "074", "114", "115",
    "116", "125", "131", "132", "134", "143", "152", "155", "156", "162", "165", "172", "174", "205", "223", "226"};

std::u16string widen(std::string_view ascii) { return {ascii.begin(), ascii.end()}; }

void add(TypeRows& rows, LONG id, std::string_view value, BYTE type) { rows.push_back({id, widen(value), type}); }

void add(TypeRows& rows, LONG id, long long value) { rows.push_back({id, widen(std::to_string(value)), kNumberType}); }

// Every id from first to last as a setting: an on/off field (its name ends
// in EN) "0" or "1", any other a small number. `skip` leaves ids to the caller.
void add_settings(TypeRows& rows, LONG first, LONG last, random_source& random, std::initializer_list<LONG> skip = {}) {
    for (LONG id = first; id <= last; ++id) {
        if (std::find(skip.begin(), skip.end(), id) != skip.end()) continue;
        if (FieldName(id).ends_with("EN"))
            add(rows, id, random.chance(50) ? "1" : "0", kFlagType);
        else
            add(rows, id, random.below(16));
    }
}

void replace_value(TypeRows& rows, LONG id, std::string_view value, BYTE type) {
    for (FieldRow& row : rows)
        if (row.id == id) row = {id, widen(value), type};
}

// "450.12500": MHz with five decimals, from a count of 10 Hz steps.
std::string megahertz(long long tensOfHertz) {
    std::string decimals = std::to_string(tensOfHertz % 100000);
    return std::to_string(tensOfHertz / 100000) + "." + std::string(5 - decimals.size(), '0') + decimals;
}

std::string channel_alias(int channel) {
    return std::string(kServices[channel % std::size(kServices)]) + " " +
           std::to_string(channel / std::size(kServices) + 1);
}

TypeRows channel_item(int channel, random_source& random) {
    using namespace field;
    // 450 MHz upwards in 12.5 kHz steps, transmitting 5 MHz up on repeater channels.
    long long receive = 45000000 + 1250LL * random.below(1600);
    long long transmit = random.chance(60) ? receive + 500000 : receive;
    std::uint32_t squelch = random.below(3);
    std::string tone(squelch == 1 ? random.pick(kTones) : "");
    std::string code(squelch == 2 ? random.pick(kDigitalCodes) : "");

    TypeRows rows;
    rows.reserve(31);
    add(rows, CP_RXFREQ, megahertz(receive), kFrequencyType);
    add(rows, CP_TXFREQ, megahertz(transmit), kFrequencyType);
    add(rows, CP_CHBWSEL, random.chance(80) ? "0" : "1", kNumberType);
    add(rows, CP_TXPWRLEVSEL, random.chance(70) ? "1" : "0", kNumberType);
    add(rows, CP_TXSQCODESEL, squelch);
    add(rows, CP_RXSQCODESEL, squelch);
    add(rows, CP_TXENCDATA_TPL, tone, kTextType);
    add(rows, CP_TXENCDATA_DPL, code, kTextType);
    add(rows, CP_RXDECDATA_TPL, tone, kTextType);
    add(rows, CP_RXDECDATA_DPL, code, kTextType);
    add(rows, CP_SQSET, random.below(10));
    add(rows, CP_TOT, 60 + 15 * random.below(8));
    add(rows, CP_TXDEV, random.chance(80) ? "5000" : "2500", kNumberType);
    add(rows, CP_SCANLISTINDEX, channel / kGroupSize);
    add(rows, CP_TXSIGTYPE, random.below(4));
    add(rows, CP_RXSIGTYPE, random.below(4));
    add(rows, CP_TXSIGINDEX, random.below(2));
    add(rows, CP_RXSIGINDEX, random.below(2));
    for (LONG flag : {CP_BUSYCHLKOUT, CP_RXONLY, CP_TXONLY, CP_TALKAROUNDEN, CP_AUTOSCANEN, CP_VOXEN, CP_NOISEBLANKEN,
                      CP_EMPSEL, CP_COMPANDINGST, CP_TOCEN, CP_NONSTDREVBURST, CP_REVBURSTTOCEN})
        add(rows, flag, random.chance(25) ? "1" : "0", kFlagType);
    add(rows, ALIAS, channel_alias(channel), kTextType);
    return rows;
}

EntryBlock zone(int first, int count) {
    using namespace field;
    int number = first / kGroupSize + 1;
    EntryBlock zone;
    add(zone.info, PA_ZONEALIAS,
        "Zone " + std::to_string(number) + " " + std::string(kDirections[(number - 1) % std::size(kDirections)]),
        kTextType);
    for (int channel = first; channel < first + count; ++channel) {
        TypeRows& member = zone.items.emplace_back();
        add(member, PA_PERSTYPE, 0);
        add(member, PA_PERSINDEX, channel);
        add(member, PA_GRPINDEX, 0);
        add(member, ALIAS, channel_alias(channel), kTextType);
    }
    return zone;
}

EntryBlock scan_list(int first, int count, random_source& random) {
    using namespace field;
    EntryBlock list;
    add(list.info, ALIAS, "Scan List " + std::to_string(first / kGroupSize + 1), kTextType);
    add_settings(list.info, SLI_PLSCANLKOUTEN, SLI_LTRSCANACTSRCHTIME, random);
    for (int channel = first; channel < first + count; ++channel) {
        TypeRows& member = list.items.emplace_back();
        add(member, SM_PERSTYPE, 0);
        add(member, SM_SYSALLGRP, "0", kFlagType);
        add(member, SM_GRPINDEX, 0);
        add(member, SM_PERSINDEX, channel);
    }
    return list;
}

}  // namespace

Codeplug GenerateRealisticCodeplug(int channels) {
    using namespace field;
    channels = std::max(channels, 0);
    int groups = (channels + kGroupSize - 1) / kGroupSize;
    random_source random(0x5EED0000u + static_cast<std::uint32_t>(channels));
    Codeplug codeplug;

    EntryBlock features;
    add_settings(features.info, MDF_MAXZONE, MDF_AOBA, random);
    codeplug.blocks[MDF_BLOCK] = std::move(features);

    EntryBlock identity;
    TypeRows& radio = identity.info;
    add(radio, RI_SERIALNUM, "427TRV" + std::to_string(1000 + random.below(9000)), kTextType);
    add(radio, RI_MODELNUM, "TRM45-U1-R2", kTextType);
    add(radio, RI_ORIGCPVER, "R03.10.00", kTextType);
    add(radio, RI_ORIGPROGSRC, "Factory", kTextType);
    add(radio, RI_ORIGDATE, "2023-04-17", kTextType);
    add(radio, RI_ORIGTIME, "14:32:05", kTextType);
    add(radio, RI_BANDSEL, 4);
    add(radio, RI_LVRISBASEFREQ, "1", kFlagType);
    add(radio, RI_BANDMINFREQ, "450.00000", kFrequencyType);
    add(radio, RI_BANDMAXFREQ, "470.00000", kFrequencyType);
    add(radio, RI_CPPARTNUM, "TRV-CP-0451", kTextType);
    add(radio, RI_PROGCPSIZE, 8192 + 64LL * channels);
    add(radio, RI_TANAPANUM, "TA4501B", kTextType);
    add(radio, RI_MINTXPWR, 1);
    add(radio, RI_MAXTXPWR, 45);
    add(radio, RI_REGINFO, "North Region", kTextType);
    add(radio, RI_REGID, 17);
    codeplug.blocks[RI_BLOCK] = std::move(identity);

    TypeRows regionSize;
    add(regionSize, RRW_RGNSIZE, 4096 + 64LL * channels);
    add(regionSize, RRW_TYPECTRLBLKVECT, 256);
    add(regionSize, RRW_VECTBLKVECT, 512);
    codeplug.blocks[RRW_BLOCK] = std::move(regionSize);

    TypeRows typeControl;
    add(typeControl, ENTRY_HEADER, 4);
    add(typeControl, ENTRY_SIZE, 48);
    add(typeControl, ENTRY_QUANTITY, channels);
    add(typeControl, LIST_HEADER, 4);
    add(typeControl, LIST_SIZE, 16);
    add(typeControl, LIST_QUANTITY, groups);
    codeplug.blocks[TC_BLOCK] = std::move(typeControl);

    TypeRows vectors;
    add(vectors, VECT_QUANTITY, 14);
    add(vectors, BLOCK_SIZE, 1024);
    codeplug.blocks[VECT_BLOCK] = std::move(vectors);

    EntryBlock tracking;
    add(tracking.info, TI_LATCPVER, "R05.02.00", kTextType);
    add(tracking.info, TI_LATPROGSRC, "xmlxsl", kTextType);
    add(tracking.info, TI_LATDATE, "2024-11-02", kTextType);
    add(tracking.info, TI_LATTIME, "09:15:41", kTextType);
    add(tracking.info, TI_FIRMVER, "R01.04.02", kTextType);
    codeplug.blocks[TI_BLOCK] = std::move(tracking);

    EntryBlock settings;
    add_settings(settings.info, RC_WAITSTALLOW, RC_VOXSTEN, random);
    add(settings.info, RC_MICROCONFIG, 2);
    add(settings.info, RC_VOXMICGAIN, 8);
    replace_value(settings.info, RC_MICGAIN, "12", kNumberType);
    replace_value(settings.info, RC_VQXPSWD, "4711", kTextType);
    replace_value(settings.info, RC_DEFDISPLINE1, "Fire Dispatch", kTextType);
    replace_value(settings.info, RC_DEFDISPLINE2, "Zone 1 North", kTextType);
    codeplug.blocks[RC_BLOCK] = std::move(settings);

    EntryBlock display;
    add_settings(display.info, DR_DISALERTSEL, DR_RADINHLTRGRP, random);
    codeplug.blocks[DR_BLOCK] = std::move(display);

    EntryBlock accessories;
    add_settings(accessories.info, AC_INOUTPINBYTE, AC_DEBDUR, random);
    codeplug.blocks[AC_BLOCK] = std::move(accessories);

    EntryBlock buttons;
    for (LONG id = CBP_ROTFUNC; id <= CBM_IRREM8SHORTPRESS; ++id) add(buttons.info, id, random.below(40));
    codeplug.blocks[CB_BLOCK] = std::move(buttons);

    EntryBlock signalling;
    add_settings(signalling.info, SC_RADCHKENCEN, SC_EMREVPERSGRPINDEX, random);
    codeplug.blocks[SC_BLOCK] = std::move(signalling);

    EntryBlock mdc;
    add_settings(mdc.info, MDC_PTTIDTYPE, MDC_PTTIDOVERRIDESIGSQ, random, {MDC_PRIMARYID, MDC_GRPID});
    for (int system = 0; system < 2; ++system) {
        TypeRows& item = mdc.items.emplace_back();
        int primary = 1001 + 1000 * system + static_cast<int>(random.below(900));
        add(item, MDC_PRIMARYID, primary);
        add(item, MDC_GRPID, 100 + system);
        add(item, MDC_PRIMARYID1, primary / 1000);
        add(item, MDC_PRIMARYID23, primary / 10 % 100);
        add(item, MDC_PRIMARYID4, primary % 10);
        add(item, MDC_GRPID1, 1);
        add(item, MDC_GRPID234, system);
    }
    codeplug.blocks[MDC_BLOCK] = std::move(mdc);

    EntryBlock quikCall;
    add_settings(quikCall.info, QC_PTTSHSIDETONEEN, QC_ACKTYPE, random,
                 {QC_INDIDTONEA, QC_INDIDTONEB, QC_INDIDTONEC, QC_INDIDTONED});
    for (int format = 0; format < 2; ++format) {
        TypeRows& item = quikCall.items.emplace_back();
        for (LONG id : {QC_INDIDTONEA, QC_INDIDTONEB, QC_INDIDTONEC, QC_INDIDTONED})
            add(item, id, std::to_string(300 + 10 * random.below(270)) + ".0", kFrequencyType);
    }
    codeplug.blocks[QC_BLOCK] = std::move(quikCall);

    EntryBlock channelBlock;
    add(channelBlock.info, ENTRY_QUANTITY, channels);
    add(channelBlock.info, CP_RXREFFREQ, "6.25", kFrequencyType);
    add(channelBlock.info, CP_TXREFFREQ, "6.25", kFrequencyType);
    add(channelBlock.info, CP_RXCHINCSTEPSIZE, "12.5", kFrequencyType);
    add(channelBlock.info, CP_TXCHINCSTEPSIZE, "12.5", kFrequencyType);
    channelBlock.items.reserve(static_cast<std::size_t>(channels));
    for (int channel = 0; channel < channels; ++channel) channelBlock.items.push_back(channel_item(channel, random));
    codeplug.blocks[CP_BLOCK] = std::move(channelBlock);

    ListBlock zones;
    ListBlock scanLists;
    add(zones.info, LIST_QUANTITY, groups);
    add(scanLists.info, LIST_QUANTITY, groups);
    for (int first = 0; first < channels; first += kGroupSize) {
        int count = std::min(kGroupSize, channels - first);
        zones.items.push_back(zone(first, count));
        scanLists.items.push_back(scan_list(first, count, random));
    }
    codeplug.blocks[PA_BLOCK] = std::move(zones);
    codeplug.blocks[SLI_BLOCK] = std::move(scanLists);
    return codeplug;
}
