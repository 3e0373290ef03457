#include "loader/module_loader.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "host/host.h"
#include "module/export.h"
#include "module/host_interface.h"
#include "support/build_paths.h"
#include "support/test_platform.h"

// The fixture modules call this at shutdown when the program exports it.
extern "C" TAVORIX_EXPORT void host_fixture_shut_down(void *server_data);

namespace {

std::vector<void *> shut_down_calls;

}  // namespace

extern "C" void host_fixture_shut_down(void *server_data) { shut_down_calls.push_back(server_data); }

namespace {

using loader::LoadedModule;
using loader::ModuleLoadError;

std::string load_error(const std::string &path) {
  try {
    LoadedModule::load(path);
  } catch (const ModuleLoadError &error) {
    return error.what();
  }
  return "loaded without error";
}

bool contains(const std::string &text, const std::string &part) {
  return text.find(part) != std::string::npos;
}

std::string temporary_folder() { return std::filesystem::temp_directory_path().string(); }

class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string &contents) {
    std::random_device seed;
    path_ =
        (std::filesystem::temp_directory_path() / ("host_loader_test_" + std::to_string(seed()))).string();
    std::ofstream(path_, std::ios::binary) << contents;
  }
  ~TemporaryFile() { std::remove(path_.c_str()); }
  const std::string &path() const { return path_; }

 private:
  std::string path_;
};

TEST(ModuleLoaderErrors, MissingFile) {
  std::string error = load_error("/nonexistent/dir/tavorix.p");
  EXPECT_TRUE(contains(error, "/nonexistent/dir/tavorix.p")) << error;
  EXPECT_TRUE(contains(error, "file not found")) << error;
}

TEST(ModuleLoaderErrors, TextFileIsNotASharedLibrary) {
  TemporaryFile text("LWSC\n3\n");
  std::string error = load_error(text.path());
  EXPECT_TRUE(contains(error, text.path())) << error;
  EXPECT_TRUE(contains(error, "not a loadable shared library: ")) << error;
  // The dynamic linker's own reason follows.
  EXPECT_GT(error.size(), error.find("library: ") + 9) << error;
}

TEST(ModuleLoaderErrors, DirectoryIsNotAModuleFile) {
  EXPECT_TRUE(contains(load_error(temporary_folder()), "is a directory")) << load_error(temporary_folder());
}

TEST(ModuleLoaderErrors, SharedLibraryWithoutDescriptor) {
  const std::string path = testing_support::platform::system_library_path();
  ASSERT_FALSE(path.empty()) << "no system library found";
  std::string error = load_error(path);
  EXPECT_TRUE(contains(error, "no module descriptor")) << error;
  EXPECT_TRUE(contains(error, "_mod_descrip")) << error;
}

TEST(ModuleLoaderErrors, WrongSynchronisationWordShowsExpectedAndFound) {
  std::string error = load_error(testing_support::build_paths::host_fixture("bad_sync"));
  EXPECT_TRUE(contains(error, "synchronisation word")) << error;
  EXPECT_TRUE(contains(error, "expected 0x04121994, found 0x12345678")) << error;
}

TEST(ModuleLoaderErrors, WrongInterfaceVersion) {
  std::string error = load_error(testing_support::build_paths::host_fixture("bad_version"));
  EXPECT_TRUE(contains(error, "interface version: expected 3, found 7")) << error;
}

TEST(ModuleLoaderErrors, WrongMachineType) {
  std::string error = load_error(testing_support::build_paths::host_fixture("bad_machine"));
  EXPECT_TRUE(contains(error, "machine type")) << error;
  EXPECT_TRUE(contains(error, "expected 0x00000300, found 0x00001234")) << error;
}

TEST(ModuleLoaderErrors, StartupReturningNull) {
  shut_down_calls.clear();
  EXPECT_TRUE(contains(load_error(testing_support::build_paths::host_fixture("null_startup")),
                       "startup returned null"));
  EXPECT_TRUE(shut_down_calls.empty());  // nothing started, nothing to shut down
}

TEST(ModuleLoaderErrors, IncompleteServerRecordShutsTheModuleDownAgain) {
  shut_down_calls.clear();
  std::string error = load_error(testing_support::build_paths::host_fixture("incomplete_record"));
  EXPECT_TRUE(contains(error, "server record 1 of class 'MasterHandler' has no activation function"))
      << error;
  EXPECT_EQ(shut_down_calls.size(), 1u);
}

class FixtureModule : public ::testing::Test {
 protected:
  FixtureModule() : module(LoadedModule::load(testing_support::build_paths::host_fixture("good"))) {
    host.set_print_messages(false);
  }

  host::Host host;
  std::unique_ptr<LoadedModule> module;
};

TEST_F(FixtureModule, ListsItsServersInTableOrder) {
  const auto &servers = module->servers();
  ASSERT_EQ(servers.size(), 2u);
  EXPECT_EQ(servers[0].class_name, LWLAYOUTGENERIC_CLASS);
  EXPECT_EQ(servers[0].name, "Fixture:Echo");
  EXPECT_EQ(servers[1].class_name, LWMASTER_HCLASS);
  EXPECT_EQ(servers[1].name, "Fixture:Watch");
  EXPECT_EQ(module->find(LWMASTER_HCLASS, "Fixture:Watch"), &servers[1]);
  EXPECT_EQ(module->find(LWLAYOUTGENERIC_CLASS, "Fixture:Watch"), nullptr);
}

TEST_F(FixtureModule, RunGenericPassesServicesCommandsAndServerData) {
  EXPECT_EQ(loader::run_generic(*module, host, "Fixture:Echo"), AFUNC_OK);
  EXPECT_EQ(host.commands(), (std::vector<std::string>{"Fixture_Command 1 2 3"}));
  ASSERT_EQ(host.messages().size(), 1u);
  EXPECT_EQ(host.messages()[0].line1, "Fixture: echo ran");
  EXPECT_EQ(host.use_of(LWMESSAGEFUNCS_GLOBAL).acquire, 1);
  EXPECT_TRUE(host.services_balanced());
}

TEST_F(FixtureModule, AServerThatPostsAnErrorHasFailed) {
  host.command_sink = [](const std::string &) { return 0; };
  const loader::GenericRun run = loader::run_generic_server(*module, host, "Fixture:Echo");
  EXPECT_EQ(run.result, AFUNC_OK);
  EXPECT_FALSE(run.succeeded());
  EXPECT_EQ(run.failure(), "Fixture: echo could not finish. Its command failed.");

  host.command_sink = nullptr;
  const loader::GenericRun clean = loader::run_generic_server(*module, host, "Fixture:Echo");
  EXPECT_TRUE(clean.succeeded()) << clean.failure();
  EXPECT_EQ(clean.failure(), "");
}

TEST_F(FixtureModule, ResultCodesOfTheServerComeBack) {
  host.withhold(LWMESSAGEFUNCS_GLOBAL);
  const loader::GenericRun refused = loader::run_generic_server(*module, host, "Fixture:Echo");
  EXPECT_EQ(refused.result, AFUNC_BADGLOBAL);
  EXPECT_EQ(refused.failure(), "it answered \"missing host service\" (2)");
  EXPECT_EQ(loader::run_generic(*module, host, "Fixture:Echo"), AFUNC_BADGLOBAL);

  EXPECT_EQ(module->activate(LWLAYOUTGENERIC_CLASS, "Fixture:Echo", 3, host.global_function(), nullptr),
            AFUNC_BADVERSION);
  EXPECT_EQ(
      module->activate(LWMASTER_HCLASS, "Fixture:Watch", LWMASTER_VERSION, host.global_function(), nullptr),
      AFUNC_OK);
}

TEST_F(FixtureModule, ActivatingAMissingServerNamesWhatThereIs) {
  try {
    loader::run_generic(*module, host, "Fixture:Nothing");
    FAIL() << "no error";
  } catch (const ModuleLoadError &error) {
    std::string text = error.what();
    EXPECT_TRUE(contains(text, "no server LayoutGeneric 'Fixture:Nothing'")) << text;
    EXPECT_TRUE(contains(text, "LayoutGeneric 'Fixture:Echo', MasterHandler 'Fixture:Watch'")) << text;
  }
}

TEST_F(FixtureModule, RunGenericRefusesAHostThatIsNotCurrent) {
  host::Host newer;
  EXPECT_THROW(loader::run_generic(*module, host, "Fixture:Echo"), std::logic_error);
}

TEST_F(FixtureModule, UnloadingCallsShutdownWithTheStartupData) {
  shut_down_calls.clear();
  void *server_data = module->server_data();
  ASSERT_NE(server_data, nullptr);
  module.reset();
  EXPECT_EQ(shut_down_calls, (std::vector<void *>{server_data}));
}

// A module built with another layout of the host's tables reaches a member
// it means not to call; the stand-in host answers with a placeholder that
// names the member and fails the run, and the test that made the call.
TEST(ModuleLoader, AModuleCallingAPlaceholderMemberFailsNamingIt) {
  host::Host host;
  host.set_print_messages(false);
  auto module = LoadedModule::load(testing_support::build_paths::host_fixture("calls_placeholder"));
  ::testing::TestPartResultArray failures;
  loader::GenericRun run;
  {
    ::testing::ScopedFakeTestPartResultReporter reporter(
        ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ALL_THREADS, &failures);
    run = loader::run_generic_server(*module, host, "Fixture:Echo");
  }
  ASSERT_EQ(failures.size(), 1);
  EXPECT_TRUE(contains(failures.GetTestPartResult(0).message(), "LWEnvelopeFuncs.destroy"))
      << failures.GetTestPartResult(0).message();
  EXPECT_FALSE(run.succeeded());
  EXPECT_EQ(run.placeholder_calls, (std::vector<std::string>{"LWEnvelopeFuncs.destroy"}));
  EXPECT_TRUE(contains(run.failure(), "it called LWEnvelopeFuncs.destroy")) << run.failure();
}

TEST(ModuleLoader, LoadRunAndUnloadManyTimes) {
  host::Host host;
  host.set_print_messages(false);
  for (int i = 0; i < 50; ++i) {
    auto module = LoadedModule::load(testing_support::build_paths::host_fixture("good"));
    ASSERT_EQ(loader::run_generic(*module, host, "Fixture:Echo"), AFUNC_OK);
  }
  EXPECT_EQ(host.commands().size(), 50u);
  EXPECT_TRUE(host.services_balanced());
}

TEST(ModuleLoader, DescribesResultCodesInWords) {
  EXPECT_EQ(loader::describe_result(AFUNC_OK), "ok");
  EXPECT_EQ(loader::describe_result(AFUNC_BADVERSION), "bad version");
  EXPECT_EQ(loader::describe_result(AFUNC_BADGLOBAL), "missing host service");
  EXPECT_EQ(loader::describe_result(AFUNC_BADLOCAL), "unusable local data");
  EXPECT_EQ(loader::describe_result(AFUNC_BADAPP), "not for this application");
  EXPECT_EQ(loader::describe_result(9), "unknown result 9");
}

// The real module file, built from module/.
TEST(TavorixModule, ListsItsFourServersInOrder) {
  auto module = LoadedModule::load(testing_support::build_paths::module_file());
  std::vector<std::pair<std::string, std::string>> servers;
  for (const auto &server : module->servers()) servers.emplace_back(server.class_name, server.name);
  EXPECT_EQ(servers, (std::vector<std::pair<std::string, std::string>>{
                         {"LayoutGeneric", "Tavorix:Scan"},
                         {"LayoutGeneric", "Tavorix:InferiorAngle"},
                         {"LayoutGeneric", "Tavorix:SuperiorAngle"},
                         {"MasterHandler", "Tavorix:RealTime"},
                     }));
}

}  // namespace
