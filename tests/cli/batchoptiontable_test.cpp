#include "cli/batchoptiontable.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "codec/pictureformat.h"
#include "tests/support/filebytes.h"

namespace {

std::string Between(const std::string& text, const std::string& from, const std::string& to) {
    const size_t start = text.find(from);
    if (start == std::string::npos) return {};
    const size_t end = text.find(to, start + from.size());
    return text.substr(start + from.size(), end - start - from.size());
}

std::set<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::set<std::string> words;
    for (std::string word; in >> word;) words.insert(word);
    return words;
}

// Every name the command line takes; with value: only those of options taking one.
std::set<std::string> TableNames(bool withValueOnly) {
    std::set<std::string> names;
    for (const BatchOption& o : BatchOptionTable()) {
        if (withValueOnly && !TakesValue(o)) continue;
        names.insert("--" + std::string(o.longName));
        if (o.shortName != 0) names.insert(std::string{'-', o.shortName});
        if (o.kind == OptionKind::Switch) names.insert("--no-" + std::string(o.longName));
    }
    return names;
}

// An option missing from either, or one they offer that the parser refuses,
// is a drift between the three.
TEST(BatchOptionTable, TheBashCompletionOffersEveryOptionAndNoOther) {
    const std::string script =
        ReadFileBytes(THUMBRIX_SOURCE_DIR "/resources/thumbrix-batch.bash-completion");
    const std::string offered = Between(script, "if [[ $cur == -* ]]", "\n    fi\n");
    EXPECT_EQ(Words(Between(offered, "-W '", "'")), TableNames(false));
    // The names after which a value, not an option, is completed.
    std::set<std::string> valued;
    const std::regex pattern(R"(^\s*([-a-z0-9 |]+)\)$)");
    std::istringstream cases(Between(script, "case $prev in", "esac"));
    for (std::string line; std::getline(cases, line);)
        if (std::smatch m; std::regex_match(line, m, pattern))
            for (std::string name : Words(std::regex_replace(m[1].str(), std::regex("\\|"), " ")))
                valued.insert(name);
    EXPECT_EQ(valued, TableNames(true));
    std::string formats;
    for (std::string_view name : BatchFormatNames()) formats.append(name).append(" ");
    EXPECT_EQ(Words(Between(script, "--format)\n            COMPREPLY=($(compgen -W '", "'")),
              Words(formats));
    // The files offered: every extension of the format table.
    std::string extensions;
    for (const std::string& extension : PictureExtensions())
        extensions += extension.substr(1) + "|";
    extensions.pop_back();
    EXPECT_NE(script.find("    _filedir '@(" + extensions + ")'\n}"), std::string::npos)
        << extensions;
}

TEST(BatchOptionTable, TheManPageDescribesEveryOptionAndNoOther) {
    const std::string page = ReadFileBytes(THUMBRIX_SOURCE_DIR "/resources/man/thumbrix-batch.1");
    const std::string options = Between(page, ".SH OPTIONS", ".SH REPORT");
    ASSERT_FALSE(options.empty());
    std::set<std::string> named;
    const std::regex longName(R"(\\-\\-[a-z0-9]+(\\-[a-z0-9]+)*(?![a-z0-9]|\\-))");
    for (std::sregex_iterator it(options.begin(), options.end(), longName), end; it != end; ++it)
        named.insert(std::regex_replace(it->str(), std::regex(R"(\\-)"), "-"));
    std::set<std::string> expected;
    for (const std::string& name : TableNames(false))
        if (name.starts_with("--")) expected.insert(name);
    EXPECT_EQ(named, expected);
    // The files it converts: every extension of the format table.
    const std::string description = Between(page, ".SH DESCRIPTION", ".PP");
    for (const std::string& extension : PictureExtensions())
        EXPECT_NE(description.find("\\fI" + extension + "\\fR"), std::string::npos) << extension;
    // Each short name heads the entry of its long one.
    for (const BatchOption& o : BatchOptionTable()) {
        if (o.shortName == 0) continue;
        std::string entry = ".BR \\-" + std::string{o.shortName} + " \", \" \\-\\-";
        for (char c : o.longName) entry += c == '-' ? std::string("\\-") : std::string{c};
        EXPECT_NE(options.find(entry), std::string::npos) << entry;
    }
}

}  // namespace
