// The registry scan on a corpus of values in the shapes real machines hold (the table
// reference_corpus.tsv), on the simulated machine and on the real registry and files: with
// everything they name present it lists none of them; with that removed it lists exactly
// the ones the table calls dead.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "contract/file_backend.h"
#include "contract/registry_backend.h"
#include "contract/registry_fixture.h"
#include "platform/text.h"
#include "registry/problem_list.h"
#include "registry/registry_scan.h"

namespace keldra::testing {
namespace {

// The table, one line per element (compiled in: under Wine the source tree is out of reach).
constexpr const char* kCorpusLines[] = {
#include "reference_corpus.inc"
};

struct CorpusValue {
    int line = 0;
    std::string walk;
    std::string key;
    std::string name;
    std::string type;
    std::string data;
    std::vector<std::string> names;
    std::string removed;
    bool dead() const { return removed == "dead"; }
};

struct Corpus {
    std::vector<std::string> present;
    std::vector<CorpusValue> values;
};

std::vector<std::string> SplitText(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos) {
            return parts;
        }
        start = end + 1;
    }
}

Corpus ReadCorpus() {
    Corpus corpus;
    int number = 0;
    for (const char* text : kCorpusLines) {
        ++number;
        std::string line(text);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const auto columns = SplitText(line, '\t');
        if (columns.size() == 2 && columns[0] == "present") {
            corpus.present.push_back(columns[1]);
            continue;
        }
        EXPECT_EQ(columns.size(), 7u) << "line " << number << ": " << line;
        if (columns.size() != 7) {
            continue;
        }
        CorpusValue value{number,     columns[0], columns[1], columns[2],
                          columns[3], columns[4], {},         columns[6]};
        if (columns[5] != "-") {
            value.names = SplitText(columns[5], '|');
        }
        EXPECT_TRUE(value.dead() || value.removed.rfind("kept: ", 0) == 0) << "line " << number;
        corpus.values.push_back(std::move(value));
    }
    return corpus;
}

// A registry and a file system of one kind: both simulated, or both real.
struct Machine {
    std::string name;
    std::function<std::unique_ptr<RegistryBackend>()> registry;
    std::function<std::unique_ptr<FileBackend>()> files;
};

std::vector<Machine> Machines() {
    std::vector<Machine> machines;
    const auto registries = RegistryBackends();
    const auto files = FileBackends();
    for (const auto& registry : registries) {
        for (const auto& file : files) {
            if (registry.name == file.name) {
                machines.push_back({registry.name, registry.make, file.make});
            }
        }
    }
    return machines;
}

void PrintTo(const Machine& machine, std::ostream* os) {
    *os << machine.name;
}

// The key below the test's own one that each walk starts from.
std::string WalkFolder(const std::string& walk) {
    if (walk == "font") {
        return "Fonts";
    }
    if (walk == "dll") {
        return "SharedDlls";
    }
    if (walk == "com") {
        return "Com";
    }
    return "Reg";
}

class ReferenceCorpus : public ::testing::TestWithParam<Machine> {
  protected:
    void SetUp() override {
        registryBackend_ = GetParam().registry();
        fileBackend_ = GetParam().files();
        static std::atomic<unsigned> counter{0};
        base_ = "Software\\KeldraCorpus-" + std::to_string(std::random_device{}() % 1000000) + "-" +
                std::to_string(counter++);
    }

    void TearDown() override {
        registryBackend_->DeleteTree(reg_root::kCurrentUser, base_);
        // What this test made, newest first; what was there before stays.
        for (auto made = made_.rbegin(); made != made_.rend(); ++made) {
            fileBackend_->RemoveTree(*made);
        }
    }

    platform::RegistryPort& reg() { return registryBackend_->Port(); }

    bool Exists(std::string_view path) {
        std::uint32_t attributes = platform::file_attribute::kInvalid;
        return fileBackend_->Files().GetAttributes(path, attributes) ==
               platform::file_status::kSuccess;
    }

    // Makes a file (or, ending in "\", a folder) with the folders above it, remembering the
    // topmost one this test made.
    void Make(const std::string& path) {
        const bool folder = path.back() == '\\';
        const std::string bare = folder ? path.substr(0, path.size() - 1) : path;
        for (std::size_t at = bare.find('\\', 3); at != std::string::npos;
             at = bare.find('\\', at + 1)) {
            if (!Exists(bare.substr(0, at))) {
                made_.push_back(bare.substr(0, at));
                break;
            }
        }
        if (!Exists(bare)) {
            made_.push_back(bare);
        }
        if (folder) {
            ASSERT_TRUE(fileBackend_->MakeFolder(bare)) << bare;
        } else {
            ASSERT_TRUE(fileBackend_->MakeFile(bare, "corpus")) << bare;
        }
    }

    void Write(const CorpusValue& value) {
        const std::string path = base_ + "\\" + WalkFolder(value.walk) + "\\" + value.key;
        RegKey key = 0;
        ASSERT_EQ(reg().CreateKey(reg_root::kCurrentUser, path, key), reg_status::kSuccess) << path;
        const std::string name = value.name == "@" ? std::string() : value.name;
        Bytes data;
        std::uint32_t type = reg_type::kSz;
        if (value.type == "dword") {
            type = reg_type::kDword;
            data = Dword(static_cast<std::uint32_t>(std::stoul(value.data)));
        } else {
            type = value.type == "expand" ? reg_type::kExpandSz : reg_type::kSz;
            data = Sz(text::Utf8ToUtf16(value.data));
        }
        EXPECT_EQ(reg().SetValue(key, name, type, data), reg_status::kSuccess)
            << "line " << value.line;
        reg().CloseKey(key);
    }

    // Every walk over the test's own keys; the rows as "key|name".
    std::vector<std::string> Scan() {
        bool cancelled = false;
        registry::ProblemList problems;
        registry::RegistryScan scan({reg(), fileBackend_->FileSystem(), nullptr, nullptr},
                                    cancelled, problems);
        scan.Forget();
        scan.ScanRegKey(reg_root::kCurrentUser, base_ + "\\Reg");
        scan.ScanFontKey(reg_root::kCurrentUser, base_ + "\\Fonts");
        scan.ScanSharedDlls(reg_root::kCurrentUser, base_ + "\\SharedDlls");
        scan.ScanComKey(reg_root::kCurrentUser, base_ + "\\Com");
        std::vector<std::string> rows;
        for (const auto& row : problems.rows) {
            rows.push_back(row.location + "|" + row.valueName);
        }
        return rows;
    }

    std::string RowOf(const CorpusValue& value) const {
        std::string location =
            "HKEY_CURRENT_USER\\" + base_ + "\\" + WalkFolder(value.walk) + "\\" + value.key;
        return location + "|" + (value.name == "@" ? std::string() : value.name);
    }

    std::unique_ptr<RegistryBackend> registryBackend_;
    std::unique_ptr<FileBackend> fileBackend_;
    std::string base_;
    std::vector<std::string> made_;
};

TEST_P(ReferenceCorpus, ListsOnlyTheValuesWhoseFilesAreGone) {
    const Corpus corpus = ReadCorpus();
    ASSERT_GE(corpus.values.size(), 300u);

    std::map<std::string, const CorpusValue*> byRow;
    for (const auto& value : corpus.values) {
        EXPECT_TRUE(byRow.emplace(RowOf(value), &value).second)
            << "line " << value.line << " repeats a value";
    }
    for (const auto& path : corpus.present) {
        if (!Exists(path.back() == '\\' ? path.substr(0, path.size() - 1) : path)) {
            Make(path);
        }
    }
    std::set<std::string> named;
    for (const auto& value : corpus.values) {
        for (const auto& path : value.names) {
            if (named.insert(path).second) {
                // Only what the test makes is removed again.
                ASSERT_FALSE(Exists(path.back() == '\\' ? path.substr(0, path.size() - 1) : path))
                    << path << " (line " << value.line << ") is there before the test";
            }
        }
    }
    for (const auto& path : named) {
        Make(path);
    }
    for (const auto& value : corpus.values) {
        Write(value);
    }
    if (HasFatalFailure()) {
        return;
    }

    // Everything present: nothing is dead.
    for (const auto& row : Scan()) {
        const auto found = byRow.find(row);
        ADD_FAILURE() << "listed although all it names is present: "
                      << (found != byRow.end() ? "line " + std::to_string(found->second->line) +
                                                     ": " + found->second->data
                                               : row);
    }

    // Everything named removed (a folder with what it holds).
    for (const auto& path : named) {
        const std::string bare = path.back() == '\\' ? path.substr(0, path.size() - 1) : path;
        if (Exists(bare)) {
            EXPECT_TRUE(fileBackend_->RemoveTree(bare)) << bare;
        }
    }
    std::set<std::string> listed;
    for (const auto& row : Scan()) {
        EXPECT_TRUE(listed.insert(row).second) << "listed twice: " << row;
        const auto found = byRow.find(row);
        if (found == byRow.end()) {
            ADD_FAILURE() << "a row of no corpus value: " << row;
        } else if (!found->second->dead()) {
            ADD_FAILURE() << "listed though " << found->second->removed.substr(6) << ": line "
                          << found->second->line << ": " << found->second->data;
        }
    }
    std::size_t dead = 0;
    for (const auto& value : corpus.values) {
        if (value.dead()) {
            ++dead;
            EXPECT_TRUE(listed.count(RowOf(value)) == 1)
                << "dead but not listed: line " << value.line << ": " << value.data;
        }
    }
    EXPECT_GE(dead, 300u);
}

INSTANTIATE_TEST_SUITE_P(Backends, ReferenceCorpus, ::testing::ValuesIn(Machines()),
                         [](const auto& param) { return param.param.name; });

}  // namespace
}  // namespace keldra::testing
