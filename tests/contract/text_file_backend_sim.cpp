#include "contract/text_file_backend.h"
#include "platform/sim/sim_text_file.h"

namespace keldra::testing {
namespace {

class SimBackend final : public TextFileBackend {
  public:
    platform::TextFilePort& Port() override { return files_; }
    std::string NewFolder() override {
        const std::string folder = "D:\\keldra-text-" + std::to_string(++count_);
        files_.AddFolder(folder);
        return folder;
    }
    void RemoveFolder(std::string_view) override {}
    void PutFile(std::string_view path, std::string_view bytes) override {
        files_.PutFile(path, bytes);
    }
    std::optional<std::string> FileBytes(std::string_view path) override {
        return files_.FileBytes(path);
    }
    bool FolderExists(std::string_view path) override { return files_.FolderExists(path); }
    std::vector<std::string> List(std::string_view folder) override { return files_.List(folder); }

  private:
    platform::sim::SimTextFiles files_;
    int count_ = 0;
};

}  // namespace

std::unique_ptr<TextFileBackend> MakeSimTextFileBackend() {
    return std::make_unique<SimBackend>();
}

}  // namespace keldra::testing
