#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string read_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void write_bytes(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// The repository's data files copied into a folder of the test's own, with
// one edit, so that the generator can be run on a broken copy.
class DataCopy {
public:
    DataCopy()
        : folder_(fs::temp_directory_path() / ("resourcemanager-data-" + std::to_string(std::random_device{}()))) {
        fs::create_directories(folder_);
        fs::copy_file(fs::path(XMLXSL_RESOURCEMANAGER_DATA) / "field_names.tsv", names());
        fs::copy_file(fs::path(XMLXSL_RESOURCEMANAGER_DATA) / "choices.tsv", choices());
    }
    ~DataCopy() { fs::remove_all(folder_); }
    DataCopy(const DataCopy&) = delete;
    DataCopy& operator=(const DataCopy&) = delete;

    fs::path names() const { return folder_ / "field_names.tsv"; }
    fs::path choices() const { return folder_ / "choices.tsv"; }
    fs::path output() const { return folder_ / "display_tables.cpp"; }

    // False when `from` is not in the file: the edit would test nothing.
    bool replace(const fs::path& file, const std::string& from, const std::string& to) const {
        std::string bytes = read_bytes(file);
        std::size_t at = bytes.find(from);
        if (at == std::string::npos) return false;
        write_bytes(file, bytes.replace(at, from.size(), to));
        return true;
    }

    int generate() const {
        std::string command = std::string("'") + XMLXSL_GENERATE_DISPLAY_TABLES + "' '" + names().string() + "' '" +
                              choices().string() + "' '" + output().string() + "' 2>/dev/null";
        return std::system(command.c_str());
    }

private:
    fs::path folder_;
};

struct BrokenData {
    const char* fault;
    bool inNames;
    std::string from;
    std::string to;
};

void PrintTo(const BrokenData& broken, std::ostream* out) { *out << broken.fault; }

class GenerateDisplayTablesRefuses : public testing::TestWithParam<BrokenData> {};

TEST_P(GenerateDisplayTablesRefuses, FailsAndWritesNothing) {
    DataCopy data;
    ASSERT_TRUE(data.replace(GetParam().inNames ? data.names() : data.choices(), GetParam().from, GetParam().to));
    EXPECT_NE(data.generate(), 0);
    EXPECT_FALSE(fs::exists(data.output()));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, GenerateDisplayTablesRefuses,
    testing::Values(
        BrokenData{"a missing last id", true,
                   "470\tRC_VOXMICGAIN\tVOX microphone gain\tVOX-Mikrofonverst\xC3\xA4rkung\n", ""},
        BrokenData{"an id past 470", true, "470\tRC_VOXMICGAIN", "471\tRC_VOXMICGAIN"},
        BrokenData{"ids out of order", true, "5\tRC_BLOCK", "6\tRC_BLOCK"},
        BrokenData{"a table name the codeplug does not have", true, "100\tRRW_RGNSIZE", "100\tRRW_REGIONSIZE"},
        BrokenData{"an empty German name", true, "\tMikrofonverst\xC3\xA4rkung\n", "\t\n"},
        BrokenData{"a name that is not UTF-8", true, "Mikrofonverst\xC3\xA4rkung", "Mikrofonverst\xC3rkung"},
        BrokenData{"a fifth column", true, "\tRegion size\t", "\tRegion\tsize\t"},
        BrokenData{"an on/off field the codeplug does not have", false, "field\tRC_MICAGCEN\n", "field\tRC_MICAGC\n"},
        BrokenData{"an on/off field listed twice", false, "field\tRC_MICAGCEN\n",
                   "field\tRC_MICAGCEN\nfield\tRC_MICAGCEN\n"},
        BrokenData{"a value with two words", false, "word\t1\t", "word\t0\t"}));

}  // namespace
