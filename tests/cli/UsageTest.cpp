// Every command keeps the same command-line conventions: --help on standard
// output with status 0, --version in one line with status 0, and bad usage as
// one line on standard error with status 64, nothing on standard output.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Outcome {
	int status = -1;
	std::string out;
	std::string err;
};

Outcome RunCommand(const std::string& command)
{
	const std::string errFile = testing::TempDir() + "usage-stderr-" + std::to_string(getpid());
	FILE* pipe = popen(("CVAB_BACKEND=headless " + command + " 2>" + errFile + " </dev/null").c_str(),
		"r");
	Outcome outcome;
	std::array<char, 4096> buffer;
	size_t got;
	while ((got = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
		outcome.out.append(buffer.data(), got);
	outcome.status = WEXITSTATUS(pclose(pipe));
	if (FILE* err = fopen(errFile.c_str(), "r")) {
		while ((got = fread(buffer.data(), 1, buffer.size(), err)) > 0)
			outcome.err.append(buffer.data(), got);
		fclose(err);
	}
	return outcome;
}

size_t Lines(const std::string& text)
{
	size_t lines = 0;
	for (char c : text)
		lines += c == '\n';
	return lines;
}

class UsageTest : public testing::TestWithParam<std::pair<std::string, std::string>> {};

TEST_P(UsageTest, HelpVersionAndBadUsage)
{
	const std::string program = GetParam().first;
	const std::string name = GetParam().second;

	const Outcome help = RunCommand(program + " --help");
	EXPECT_EQ(help.status, 0);
	EXPECT_NE(help.out.find("--version"), std::string::npos) << help.out;
	EXPECT_EQ(help.err, "");

	const Outcome version = RunCommand(program + " --version");
	EXPECT_EQ(version.status, 0);
	EXPECT_EQ(Lines(version.out), 1u) << version.out;
	EXPECT_NE(version.out.find("Corvane Address Book LITE 1.0"), std::string::npos);

	for (const char* bad : {" --bogus", " --bogus=1 x"}) {
		const Outcome usage = RunCommand(program + bad);
		EXPECT_EQ(usage.status, 64) << bad;
		EXPECT_EQ(usage.out, "") << bad;
		EXPECT_EQ(Lines(usage.err), 1u) << usage.err;
		EXPECT_EQ(usage.err.rfind(name + ": ", 0), 0u) << usage.err;
	}
}

INSTANTIATE_TEST_SUITE_P(Commands, UsageTest,
	testing::Values(std::make_pair(std::string(CVAB_BINARY), std::string("cvab")),
		std::make_pair(std::string(CVAB_CONVERT_BINARY), std::string("cvab-convert")),
		std::make_pair(std::string(CVAB_LOOKUP), std::string("cvab-lookup")),
		std::make_pair(std::string(CVAB_SYNC), std::string("cvab-sync"))),
	[](const auto& info) {
		std::string name = info.param.second;
		std::erase(name, '-');
		return name;
	});

}  // namespace
