// Writes N statement files for the bil-check benchmark: the golden journey's
// statement with its figures scaled (the sum rules still hold) and its texts
// varied; every tenth file breaks a rule, every twentieth lacks an orderer
// field and every hundredth is cut short.
//
//   make_statements RECORDS FOLDER N

#include "model/cp1250.h"
#include "model/data.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace {

// tests/data/journey.records: "tag|text (UTF-8)|number" per line.
bool ReadRecords(const char* path, CUzData& d)
{
    std::ifstream in(path);
    std::string line;
    int count = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        const std::size_t first = line.find('|');
        const std::size_t last = line.rfind('|');
        CUzItemBase& item = d.Item(std::stoi(line.substr(0, first)));
        item.m_strValue = cp1250::Literal(line.substr(first + 1, last - first - 1));
        item.m_nNumber = std::stoi(line.substr(last + 1));
        ++count;
    }
    return count == kItemCount;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_statements RECORDS FOLDER N\n");
        return 2;
    }
    CUzData base;
    if (!ReadRecords(argv[1], base)) {
        std::fprintf(stderr, "make_statements: cannot read %s\n", argv[1]);
        return 1;
    }
    const int n = std::stoi(argv[3]);
    CUzData d;
    for (int i = 0; i < n; ++i) {
        for (int tag = 1; tag <= kItemCount; ++tag) {
            d.Item(tag).m_strValue = base.Item(tag).m_strValue;
            d.Item(tag).m_nNumber = base.Item(tag).m_nNumber;
        }
        const int scale = 1 + i % 97;
        for (int tag = kFirstFigureTag; tag <= kLastFigureTag; ++tag)
            d.Item(tag).m_nNumber *= scale;
        d.Item(1).m_strValue += " " + std::to_string(i);
        d.Item(2).m_nNumber = 10000000 + i;
        d.Item(122).m_strValue += std::string(static_cast<std::size_t>(i % 300), 'x');
        if (i % 10 == 3)
            d.Item(11).m_nNumber += 1;
        if (i % 20 == 7)
            d.Item(132).m_strValue.clear();
        std::string bytes;
        d.WriteItems(bytes);
        if (i % 100 == 42)
            bytes.resize(bytes.size() / 2);
        char name[64];
        std::snprintf(name, sizeof name, "/stmt-%05d.bil", i);
        std::ofstream out(std::string(argv[2]) + name, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "make_statements: cannot write %s%s\n", argv[2], name);
            return 1;
        }
    }
    return 0;
}
