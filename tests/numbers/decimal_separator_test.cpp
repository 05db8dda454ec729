// The separator comes from the user's locale. The locales are built here, at
// test time, so that the test depends neither on root nor on the locales the
// machine happens to have.

#include "numbers/decimal_separator.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "numbers/format_real.h"
#include "numbers/parse_argument.h"

namespace {

namespace fs = std::filesystem;

// Saves an environment variable and puts it back at the end of the scope.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) saved_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnvironment() {
    if (saved_) {
      setenv(name_, saved_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

class DecimalSeparatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/phm210-locales-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    directory_ = pattern;
  }

  void TearDown() override {
    fs::remove_all(directory_);
    SetDecimalSeparator('.');
  }

  // Builds the locale `name` from the locale source `input`; false when
  // localedef could not.
  bool Build(const std::string& input, const std::string& name) {
    const std::string command = "localedef -i '" + input + "' -f UTF-8 '" +
                                (directory_ / name).string() +
                                "' >/dev/null 2>&1";
    // localedef reports warnings with a nonzero status and still builds.
    (void)std::system(command.c_str());
    return fs::exists(directory_ / name / "LC_NUMERIC");
  }

  // A source with every category of fr_FR but a decimal separator of two
  // bytes in UTF-8 (U+066B).
  std::string WriteTwoByteSeparatorSource() {
    const fs::path path = directory_ / "two_byte_separator";
    std::ofstream source(path);
    for (const char* category :
         {"LC_CTYPE", "LC_COLLATE", "LC_TIME", "LC_MONETARY", "LC_MESSAGES",
          "LC_PAPER", "LC_NAME", "LC_ADDRESS", "LC_TELEPHONE", "LC_MEASUREMENT",
          "LC_IDENTIFICATION"}) {
      source << category << "\ncopy \"fr_FR\"\nEND " << category << "\n";
    }
    source << "LC_NUMERIC\ndecimal_point \"<U066B>\"\nthousands_sep \"\"\n"
              "grouping -1\nEND LC_NUMERIC\n";
    return path.string();
  }

  // Reads the separator as start-up does, under a locale built here.
  void ReadUnder(const std::string& locale) {
    const ScopedEnvironment path("LOCPATH", directory_.string());
    const ScopedEnvironment all("LC_ALL", locale);
    ReadDecimalSeparator();
  }

  fs::path directory_;
};

TEST_F(DecimalSeparatorTest, FrenchLocaleGivesAComma) {
  if (!Build("fr_FR", "fr_FR.UTF-8")) {
    GTEST_SKIP() << "localedef could not build fr_FR.UTF-8 (package locales "
                    "with /usr/share/i18n/locales/fr_FR needed)";
  }
  ReadUnder("fr_FR.UTF-8");
  EXPECT_EQ(DecimalSeparator(), ',');
  EXPECT_EQ(View(FormatReal(7.01)), "7,00999999999999979");
  EXPECT_EQ(View(FormatReal(0.00001)), "1,00000000000000008E-5");
  EXPECT_EQ(ParseArgument("1,5"), 1.5);
}

TEST_F(DecimalSeparatorTest, SeparatorOfTwoBytesGivesAPoint) {
  if (!Build(WriteTwoByteSeparatorSource(), "xx_XX.UTF-8")) {
    GTEST_SKIP() << "localedef could not build a locale from fr_FR (package "
                    "locales with /usr/share/i18n/locales/fr_FR needed)";
  }
  SetDecimalSeparator(',');
  ReadUnder("xx_XX.UTF-8");
  EXPECT_EQ(DecimalSeparator(), '.');
  EXPECT_EQ(View(FormatReal(7.01)), "7.00999999999999979");
}

TEST_F(DecimalSeparatorTest, LocaleWithoutSettingsGivesAPoint) {
  SetDecimalSeparator(',');
  const ScopedEnvironment all("LC_ALL", "C");
  ReadDecimalSeparator();
  EXPECT_EQ(DecimalSeparator(), '.');
}

TEST_F(DecimalSeparatorTest, UnknownLocaleGivesAPoint) {
  SetDecimalSeparator(',');
  const ScopedEnvironment all("LC_ALL", "no_SUCH.locale");
  ReadDecimalSeparator();
  EXPECT_EQ(DecimalSeparator(), '.');
}

}  // namespace
