// Query predicates: && and || with parentheses over several indexed attributes,
// integer and string comparisons, and malformed predicates refused.
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
		Person("alan", 41, "Alan");
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

	void Person(const char* file, int32 age, const char* name)
	{
		const std::string path = fDir + "/" + file;
		std::ofstream(path) << "x";
		BNode node(path.c_str());
		ASSERT_EQ(node.WriteAttr("T:Age", B_INT32_TYPE, 0, &age, sizeof(age)), ssize_t(sizeof(age)));
		ASSERT_GT(node.WriteAttr("T:Name", B_STRING_TYPE, 0, name, strlen(name) + 1), 0);
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
}

TEST_F(Queries, LiveValueCountsNotTheOneIndexedAndTheQueryObjectKeepsItsStateRules)
{
	const std::string path = fDir + "/ada";
	BNode node(path.c_str());
	const int32 older = 37;
	ASSERT_EQ(node.WriteAttr("T:Age", B_INT32_TYPE, 0, &older, sizeof(older)), 4);
	EXPECT_EQ(Find("T:Age == 36"), Names{});
	EXPECT_EQ(Find("T:Age == 37"), Names{"ada"});

	// The state rules of the query object.
	BQuery query;
	EXPECT_EQ(query.Fetch(), B_NO_INIT);
	entry_ref ref;
	EXPECT_EQ(query.GetNextRef(&ref), B_NO_INIT);
	ASSERT_EQ(query.SetPredicate("T:Age > 0"), B_OK);
	EXPECT_EQ(query.Fetch(), B_NO_INIT);  // no volume yet
	ASSERT_EQ(query.SetVolume(&fVolume), B_OK);
	EXPECT_EQ(query.PredicateLength(), strlen("T:Age > 0") + 1);
	ASSERT_EQ(query.Fetch(), B_OK);
	EXPECT_EQ(query.Fetch(), B_NOT_ALLOWED);
	EXPECT_EQ(query.SetPredicate("T:Age > 1"), B_NOT_ALLOWED);
	EXPECT_EQ(query.CountEntries(), 4);
	BEntry entry;
	ASSERT_EQ(query.GetNextEntry(&entry), B_OK);
	EXPECT_TRUE(entry.Exists());
	ASSERT_EQ(query.Rewind(), B_OK);
	int count = 0;
	while (query.GetNextRef(&ref) == B_OK)
		count++;
	EXPECT_EQ(count, 4);
	query.Clear();
	EXPECT_EQ(query.Fetch(), B_NO_INIT);

	BVolume none;
	EXPECT_EQ(query.SetVolume(&none), B_BAD_VALUE);
	BQuery unindexed;
	unindexed.SetVolume(&fVolume);
	unindexed.SetPredicate("T:Unknown == 1");
	EXPECT_NE(unindexed.Fetch(), B_OK);
}
