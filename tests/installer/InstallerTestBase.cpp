#include "InstallerTestBase.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <sys/wait.h>

#include "platform/Platform.h"

namespace qel::test {

using namespace qel::platform;

int MessageRecorder::Handle(void* context, std::uint32_t type, const std::string& text) {
  auto* self = static_cast<MessageRecorder*>(context);
  self->messages.push_back({type, text});
  std::uint32_t kind = type & kInstallMessageKindMask;
  if (kind == kInstallMessageError) return self->answerToErrors;
  if (kind != kInstallMessageProgress) return 0;
  int progressCount = 0;
  bool sawFileData = false;
  for (const auto& message : self->messages) {
    if (message.Kind() == kInstallMessageProgress) ++progressCount;
    if (message.Kind() == kInstallMessageActionData && message.text.rfind("File: ", 0) == 0 &&
        message.text.find(", Size: ") != std::string::npos)
      sawFileData = true;
  }
  if (self->cancelAtProgress != 0 && progressCount == self->cancelAtProgress) return kHandlerCancel;
  if (self->cancelAfterFirstFile && sawFileData) return kHandlerCancel;
  return kHandlerOk;
}

std::vector<std::string> MessageRecorder::TextsOf(std::uint32_t kind) const {
  std::vector<std::string> texts;
  for (const auto& message : messages)
    if (message.Kind() == kind) texts.push_back(message.text);
  return texts;
}

void InstallerTest::SetUp() {
  builder_.AddSourceFile("main.txt", "main payload\n");
  builder_.AddSourceFile("tool.dat", std::string(5000, 'x'));
  builder_.AddSourceFile("readme.txt", "read me\n");
  builder_.AddSourceFile("extra.txt", "extra payload\n");
}

void InstallerTest::TearDown() {
  Installer().SetExternalUI({});
  Installer().EnableLog(0, "", 0);
}

std::string InstallerTest::BuildSample(const BuildOptions& options) {
  std::string cabinet = options.output.substr(0, options.output.find('.')) + ".cab";
  std::string host = builder_.Build("product", options.output,
                                    {{"ProductCode", options.productCode},
                                     {"ProductName", options.productName},
                                     {"Version", options.version},
                                     {"EmbedCab", options.embedCabinet ? "yes" : "no"},
                                     {"Cabinet", cabinet}});
  if (host.empty()) return {};
  return Files().FromHostPath(host);
}

bool InstallerTest::Exists(const std::string& desktopPath) const {
  FileAttributes attributes;
  return Files().GetAttributes(desktopPath, attributes) == kSuccess && attributes.exists;
}

std::string InstallerTest::Read(const std::string& desktopPath) const {
  std::string bytes;
  Files().ReadFile(desktopPath, bytes);
  return bytes;
}

void InstallerTest::InstallRecorder(std::uint32_t filter) {
  Installer().SetExternalUI({&MessageRecorder::Handle, filter, &recorder_});
}

InstallerTest::ToolResult InstallerTest::Inspect(const std::string& arguments) const {
  const char* bin = std::getenv("QEL_BUILD_BIN");
  std::string out = builder_.Folder() + "/inspect.out";
  std::string err = builder_.Folder() + "/inspect.err";
  std::string command = "QEL_MACHINE='" + machine_.Root() + "' '" + std::string(bin ? bin : ".") +
                        "/qel-machine' " + arguments + " >'" + out + "' 2>'" + err + "'";
  int status = std::system(command.c_str());
  ToolResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream outFile(out), errFile(err);
  std::stringstream outText, errText;
  outText << outFile.rdbuf();
  errText << errFile.rdbuf();
  result.out = outText.str();
  result.err = errText.str();
  return result;
}

}  // namespace qel::test
