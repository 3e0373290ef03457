// Scene files that once got past the readers and writers wrongly, found by
// feeding them arbitrary bytes: each must now be refused with a
// SceneFileError, or read and written back intact.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "scene/scene.h"
#include "scene_files/json_scene_file.h"
#include "scene_files/lws_scene_file.h"
#include "scene_files/scene_file_error.h"

namespace {

// Reads .lws text that must be refused at `line`, with `words` in the message.
void expect_lws_refused(const std::string &text, int line, const std::string &words) {
  scene::Scene scene;
  try {
    scene_files::LwsSceneFile::read(text, "test.lws", scene);
    ADD_FAILURE() << "read without error:\n" << text;
  } catch (const scene_files::SceneFileError &error) {
    EXPECT_EQ(error.line(), line) << error.what();
    EXPECT_NE(error.message().find(words), std::string::npos) << error.what();
  }
}

// A .lws item name that is not UTF-8 (a file saved in Latin-1) made the JSON
// writer throw the JSON library's own exception, which the command line
// reported as a failure of the module rather than as bad input.
TEST(SceneFileFindings, NameThatIsNotUtf8IsRefusedByTheJsonWriter) {
  const std::string text = "LWSC\n3\n\nAddNullObject Caf\xE9\n";
  scene::Scene scene;
  const scene_files::LwsSceneFile file = scene_files::LwsSceneFile::read(text, "latin1.lws", scene);
  EXPECT_EQ(file.write(scene), text);
  try {
    scene_files::write_json_scene(scene, "out.json");
    ADD_FAILURE() << "written as JSON";
  } catch (const scene_files::SceneFileError &error) {
    EXPECT_EQ(error.file(), "out.json");
    EXPECT_NE(error.message().find("not UTF-8"), std::string::npos) << error.what();
  }
}

// An object path ending in a folder gave an item with an empty name, which
// the JSON reader then refused in the JSON written for it.
TEST(SceneFileFindings, ObjectPathWithoutFileNameIsRefused) {
  expect_lws_refused("LWSC\n3\n\nLoadObjectLayer 1 Objects/\n", 4, "expected a name");
  expect_lws_refused("LWSC\n3\n\nLoadObject C:\\Objects\\\n", 4, "expected a name");
  expect_lws_refused("LWSC\n4\n\nLoadObjectLayer 1 10000000 Objects/ \n", 4, "expected a name");
}

// Parents that go round in a circle were read as they were; the JSON written
// for such a scene could not be read back.
TEST(SceneFileFindings, ParentCyclesAreRefused) {
  expect_lws_refused("LWSC\n3\n\nAddNullObject A\nParentItem 10000000\n", 5, "its own parent");
  expect_lws_refused(
      "LWSC\n3\n\nAddNullObject A\nParentItem 10000001\nAddNullObject B\nParentItem 10000000\n", 5,
      "go round in a circle");
  expect_lws_refused(
      "LWSC\n3\n\nAddNullObject Root\nAddNullObject A\nParentItem 10000003\nAddNullObject B\nParentItem "
      "10000001\nAddNullObject C\nParentItem 10000002\n",
      6, "go round in a circle");
}

// A JSON number beyond the range of a double made the JSON library throw its
// own exception out of the reader.
TEST(SceneFileFindings, JsonNumberBeyondDoubleIsRefused) {
  const std::string text = "{\n  \"version\": 1,\n  \"fps\": 0.06666e666666666,\n  \"items\": []\n}\n";
  scene::Scene scene;
  try {
    scene_files::read_json_scene(text, "big.json", scene);
    ADD_FAILURE() << "read without error";
  } catch (const scene_files::SceneFileError &error) {
    EXPECT_EQ(error.line(), 3) << error.what();
    EXPECT_NE(error.message().find("0.06666e666666666"), std::string::npos) << error.what();
  }
}

TEST(SceneFileFindings, ParentChainsReadAndWriteBack) {
  std::string text = "LWSC\n3\n\nAddNullObject Root\n";
  for (int i = 1; i < 200; ++i) {
    char line[64];
    std::snprintf(line, sizeof line, "AddNullObject N%d\nParentItem %08x\n", i, 0x10000000u + i - 1);
    text += line;
  }
  scene::Scene scene;
  const scene_files::LwsSceneFile file = scene_files::LwsSceneFile::read(text, "chain.lws", scene);
  EXPECT_EQ(file.write(scene), text);
  scene::Scene back;
  scene_files::read_json_scene(scene_files::write_json_scene(scene, "chain.json"), "chain.json", back);
  ASSERT_EQ(back.items().size(), 200u);
  EXPECT_EQ(back.items().back()->parent_id, 0x10000000u + 198);
}

}  // namespace
