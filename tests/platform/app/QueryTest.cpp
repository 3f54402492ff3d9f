// Queries: && and || with parentheses over several indexed attributes, integer and
// string comparisons, malformed predicates refused, and the live value of each node
// counted once.
#include <Entry.h>
#include <Node.h>
#include <Query.h>
#include <TypeConstants.h>
#include <Volume.h>
#include <fs_index.h>
#include <fs_info.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <unistd.h>

namespace {

class Queries : public ::testing::Test {
protected:
	void SetUp() override
	{
		char pattern[] = "/tmp/cvab-query-XXXXXX";
		ASSERT_NE(mkdtemp(pattern), nullptr);
		char real[4096];
		ASSERT_NE(realpath(pattern, real), nullptr);
		fDir = real;
		setenv("XDG_DATA_HOME", (fDir + "/data").c_str(), 1);
		fDevice = dev_for_path(fDir.c_str());
		ASSERT_GE(status_t(fDevice), 0);
		fVolume.SetTo(fDevice);
		if (!fVolume.KnowsAttr())
			GTEST_SKIP() << "no extended attributes here";
		ASSERT_EQ(fs_create_index(fDevice, "T:Age", B_INT32_TYPE, 0), 0);
		ASSERT_EQ(fs_create_index(fDevice, "T:Name", B_STRING_TYPE, 0), 0);
		Person("ada", 36, "Ada");
		Person("grace", 85, "Grace");
		Person("alan", 41, "Alan", B_MIME_STRING_TYPE);  // compared as a string too
		Person("kid", 9, "Ada");
	}
	void TearDown() override
	{
		fs_remove_index(fDevice, "T:Age");
		fs_remove_index(fDevice, "T:Name");
		const std::string command = "rm -rf '" + fDir + "'";
		if (system(command.c_str()) != 0)
			ADD_FAILURE() << "cleanup";
	}

	void Person(const char* file, int32 age, const char* name, type_code type = B_STRING_TYPE)
	{
		const std::string path = fDir + "/" + file;
		std::ofstream(path) << "x";
		WriteAge(path, age);
		ASSERT_GT(BNode(path.c_str()).WriteAttr("T:Name", type, 0, name, strlen(name) + 1), 0);
	}
	static void WriteAge(const std::string& path, int32 age, const char* attribute = "T:Age")
	{
		ASSERT_EQ(BNode(path.c_str()).WriteAttr(attribute, B_INT32_TYPE, 0, &age, 4), 4);
	}

	// The leaf names a predicate finds, or "error <status>".
	std::set<std::string> Find(const char* predicate, status_t* status = nullptr)
	{
		BQuery query;
		query.SetVolume(&fVolume);
		query.SetPredicate(predicate);
		const status_t result = query.Fetch();
		if (status != nullptr)
			*status = result;
		std::set<std::string> names;
		entry_ref ref;
		while (query.GetNextRef(&ref) == B_OK)
			names.insert(ref.name);
		return names;
	}

	std::string fDir;
	dev_t fDevice = -1;
	BVolume fVolume;
};

using Names = std::set<std::string>;

}  // namespace

TEST_F(Queries, ComparisonsOnIntegersAndStringsCombinedWithAndOr)
{
	EXPECT_EQ(Find("T:Age == 36"), Names{"ada"});
	EXPECT_EQ(Find("T:Age != 36"), (Names{"grace", "alan", "kid"}));
	EXPECT_EQ(Find("T:Age < 36"), Names{"kid"});
	EXPECT_EQ(Find("T:Age <= 36"), (Names{"ada", "kid"}));
	EXPECT_EQ(Find("T:Age > 41"), Names{"grace"});
	EXPECT_EQ(Find("T:Age >= 41"), (Names{"grace", "alan"}));
	EXPECT_EQ(Find("T:Name == \"Ada\""), (Names{"ada", "kid"}));
	EXPECT_EQ(Find("T:Name < \"B\""), (Names{"ada", "kid", "alan"}));
	// An integer never equals a string attribute, nor the reverse.
	EXPECT_EQ(Find("T:Name == 36"), Names{});
	EXPECT_EQ(Find("T:Age == \"36\""), Names{});
	// && binds tighter than ||; parentheses regroup.
	EXPECT_EQ(Find("T:Name == \"Ada\" && T:Age > 18"), Names{"ada"});
	EXPECT_EQ(Find("T:Age < 10 || T:Age > 80 && T:Name == \"Grace\""), (Names{"kid", "grace"}));
	EXPECT_EQ(Find("(T:Age < 10 || T:Age > 80) && T:Name == \"Ada\""), Names{"kid"});
	EXPECT_EQ(Find("((T:Age==41))||(T:Name==\"Grace\")"), (Names{"alan", "grace"}));
}

TEST_F(Queries, MalformedPredicatesAreErrors)
{
	const std::string deep = std::string(200, '(') + "T:Age==1" + std::string(200, ')');
	for (const char* bad : {"", "T:Age", "T:Age ==", "== 3", "T:Age === 3",
			"T:Age == 3 &&", "(T:Age == 3", "T:Age == 3)", "T:Age == \"open", "T:Age == 3x",
			"T:Age == word", "T:Age == 3 & T:Age == 4", "T:Age == 3 T:Age == 4", deep.c_str()}) {
		status_t status = B_OK;
		Find(bad, &status);
		EXPECT_EQ(status, B_BAD_VALUE) << "'" << bad << "'";
	}
	status_t status = B_OK;
	Find("T:Unknown == 1", &status);
	EXPECT_NE(status, B_OK) << "an attribute without an index";
}

TEST_F(Queries, LiveValuesAreReadAndANodeIsCountedOnce)
{
	// Changed, removed or deleted: the query reads what is there now.
	WriteAge(fDir + "/ada", 37);
	EXPECT_EQ(Find("T:Age == 36"), Names{});
	EXPECT_EQ(Find("T:Age == 37"), Names{"ada"});
	ASSERT_EQ(BNode((fDir + "/grace").c_str()).RemoveAttr("T:Age"), B_OK);
	ASSERT_EQ(unlink((fDir + "/kid").c_str()), 0);
	EXPECT_EQ(Find("T:Age >= 0"), (Names{"ada", "alan"}));
	// A node with two names is found once.
	ASSERT_EQ(link((fDir + "/alan").c_str(), (fDir + "/alan-too").c_str()), 0);
	WriteAge(fDir + "/alan-too", 41);
	EXPECT_EQ(Find("T:Age == 41").size(), 1u);
	// An attribute written before its index exists counts once rewritten.
	WriteAge(fDir + "/ada", 1, "T:Late");
	ASSERT_EQ(fs_create_index(fDevice, "T:Late", B_INT32_TYPE, 0), 0);
	EXPECT_EQ(Find("T:Late == 1"), Names{});
	WriteAge(fDir + "/ada", 1, "T:Late");
	EXPECT_EQ(Find("T:Late == 1"), Names{"ada"});
	fs_remove_index(fDevice, "T:Late");
}
