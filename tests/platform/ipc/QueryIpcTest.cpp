// A query in this process finds a node whose indexed attribute another process wrote.
#include <Messenger.h>
#include <Query.h>
#include <TypeConstants.h>
#include <Volume.h>
#include <fs_index.h>
#include <fs_info.h>

#include "PeerProcess.h"

#include <gtest/gtest.h>

#include <fstream>

TEST(QueryIpc, NodeIndexedByAnotherProcessIsFound)
{
	IsolatedRuntime runtime;
	const std::string file = runtime.Root() + "/person.abk";
	std::ofstream(file) << "x";
	const dev_t device = dev_for_path(file.c_str());
	ASSERT_GE(status_t(device), 0);
	BVolume volume(device);
	ASSERT_EQ(volume.InitCheck(), B_OK);
	if (!volume.KnowsAttr())
		GTEST_SKIP() << "the temporary folder keeps no extended attributes";
	ASSERT_EQ(fs_create_index(device, "CVAB:Shoe", B_INT32_TYPE, 0), 0);

	PeerProcess peer("application/x-vnd.cvab-query-peer");
	ASSERT_TRUE(peer.Started());
	BMessage write('attr');
	write.AddString("path", file.c_str());
	write.AddString("name", "CVAB:Shoe");
	write.AddInt32("value", 44);
	BMessage reply;
	ASSERT_EQ(BMessenger("application/x-vnd.cvab-query-peer").SendMessage(&write, &reply), B_OK);
	ASSERT_EQ(reply.GetInt32("status", B_ERROR), B_OK);

	BQuery query;
	ASSERT_EQ(query.SetVolume(&volume), B_OK);
	ASSERT_EQ(query.SetPredicate("CVAB:Shoe >= 40 && CVAB:Shoe < 45"), B_OK);
	ASSERT_EQ(query.Fetch(), B_OK);
	entry_ref ref;
	ASSERT_EQ(query.GetNextRef(&ref), B_OK);
	EXPECT_STREQ(ref.name, "person.abk");
	EXPECT_EQ(query.GetNextRef(&ref), B_ENTRY_NOT_FOUND);

	BQuery miss;
	miss.SetVolume(&volume);
	miss.SetPredicate("CVAB:Shoe == 43");
	ASSERT_EQ(miss.Fetch(), B_OK);
	EXPECT_EQ(miss.CountEntries(), 0);
	fs_remove_index(device, "CVAB:Shoe");
}
