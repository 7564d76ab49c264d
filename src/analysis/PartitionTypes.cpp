#include "analysis/PartitionTypes.h"

#include <cstdio>
#include <utility>

namespace korvane::analysis {

std::string partitionTypeName(uint8_t type) {
    static const std::pair<uint8_t, const char*> names[] = {
        {0x00, "not used"}, {0x01, "FAT-12"},     {0x02, "XENIX"},      {0x04, "FAT-16 Old"}, {0x05, "extn"},
        {0x06, "FAT-16 New"}, {0x07, "NTFS"},     {0x08, "OS/2"},       {0x09, "AIX DATA"},   {0x0A, "OPUS"},
        {0x0B, "FAT-32"},   {0x0C, "FAT-32"},     {0x0E, "FAT-32"},     {0x0F, "extn"},       {0x12, "EISADIAG"},
        {0x17, "NTFS Hid"}, {0x18, "AST"},        {0x19, "Photon"},     {0x1B, "FAT-32 Hid"}, {0x1C, "FAT-32 Hid"},
        {0x1E, "FAT-32 Hid"}, {0x20, "OFS1"},     {0x21, "FSo2"},       {0x24, "NEC DOS"},    {0x38, "Theos"},
        {0x3C, "PQ PM"},    {0x40, "VENIX"},      {0x41, "MAC OS"},     {0x42, "SFS"},        {0x45, "EUMEL"},
        {0x4F, "Oberon"},   {0x50, "Ontrack"},    {0x51, "NOVELL"},     {0x52, "CP/M"},       {0x55, "EZ-Drive"},
        {0x56, "Golden"},   {0x5C, "EDISK"},      {0x61, "Speed"},      {0x63, "BSD 4.3"},    {0x75, "PC/IX"},
        {0x7E, "F.I.X."},   {0x80, "Minix"},      {0x81, "Linux"},      {0x82, "Linux swap"}, {0x83, "Linux"},
        {0x86, "FAT16 Stripe"}, {0x87, "HPFS"},   {0x93, "Amoeba"},     {0x98, "ROM-DOS"},    {0x99, "Mylex"},
        {0xA0, "Phoenix"},  {0xA5, "FreeBSD"},    {0xA6, "OpenBSD"},    {0xA9, "NetBSD"},     {0xB6, "FAT16 Mir1"},
        {0xB7, "NTFS Mir1"}, {0xC0, "DR DOS"},    {0xC6, "FAT16 Mirr2"}, {0xC7, "NTFS Mir2"}, {0xE2, "DOS ROM"},
        {0xEB, "BeOS BFS"}, {0xF5, "Prologue"},   {0xFE, "LANstep"},
    };
    for (const auto& [t, name] : names)
        if (t == type) return name;
    char text[16];
    std::snprintf(text, sizeof text, "Unkn %02X", type);
    return text;
}

std::string guidText(const uint8_t* g) {
    char text[40];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", g[3], g[2],
                  g[1], g[0], g[5], g[4], g[7], g[6], g[8], g[9], g[10], g[11], g[12], g[13], g[14], g[15]);
    return text;
}

std::string gptTypeName(const uint8_t* typeGuid) {
    static const std::pair<const char*, const char*> names[] = {
        {"C12A7328-F81F-11D2-BA4B-00A0C93EC93B", "EFI System"},  {"21686148-6449-6E6F-744E-656564454649", "BIOS boot"},
        {"E3C9E316-0B5C-4DB8-817D-F92DF00215AE", "MS reserved"}, {"EBD0A0A2-B9E5-4433-87C0-68B6B72699C7", "MS data"},
        {"DE94BBA4-06D1-4D40-A16A-BFD50179D6AC", "Win recov"},   {"0FC63DAF-8483-4772-8E79-3D69D8477DE4", "Linux"},
        {"4F68BCE3-E8CD-4DB1-96E7-FBCAF984B709", "Linux root"},  {"933AC7E1-2EB4-4F13-B844-0E14E2AEF915", "Linux home"},
        {"0657FD6D-A4AB-43C4-84E5-0933C84B4F4F", "Linux swap"},  {"E6D6D379-F507-44C2-A23C-238F2A3DF928", "Linux LVM"},
        {"A19D880F-05FC-4D3B-A006-743F0F84911E", "Linux RAID"},  {"48465300-0000-11AA-AA11-00306543ECAC", "HFS+"},
        {"7C3457EF-0000-11AA-AA11-00306543ECAC", "APFS"},        {"516E7CB4-6ECF-11D6-8FF8-00022D09712B", "FreeBSD"},
    };
    const std::string text = guidText(typeGuid);
    for (const auto& [guid, name] : names)
        if (text == guid) return name;
    return text;
}

} // namespace korvane::analysis
