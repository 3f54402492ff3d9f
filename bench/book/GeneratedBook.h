// What both book benchmarks share: the generated 100,000-record body (about
// 15 MB, fixed seed) and the baselines' plain work of reading a file at once and
// splitting it into 21 strings a line.
#ifndef _CVAB_GENERATED_BOOK_H
#define _CVAB_GENERATED_BOOK_H

#include <ABookRecord.h>

#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace bench_book {

constexpr int32 kRecords = 100000;

// Mean text lengths of the fields, about 129 bytes a record.
constexpr int kMeanLength[kBookFieldCount] = {
	6, 6, 1, 7, 3, 8, 14, 3, 7, 2, 5, 4, 10, 6, 6, 16, 3, 14, 4, 2, 2};

inline std::string GenerateBody()
{
	std::mt19937 random(2026);
	std::string body;
	body.reserve(16 << 20);
	for (int32 n = 0; n < kRecords; n++) {
		for (int32 field = 0; field < kBookFieldCount; field++) {
			const int length = random() % (2 * kMeanLength[field] + 1);
			for (int i = 0; i < length; i++) {
				const unsigned pick = random() % 53;
				body += pick < 26 ? char('a' + pick) : pick < 52 ? char('A' + pick - 26) : ' ';
			}
			body += field + 1 < kBookFieldCount ? '\t' : '\n';
		}
	}
	return body;
}

inline std::string ReadWholeFile(const std::string& path)
{
	const int fd = open(path.c_str(), O_RDONLY);
	struct stat info;
	if (fd < 0 || fstat(fd, &info) != 0)
		abort();
	std::string bytes(info.st_size, '\0');
	if (read(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size()))
		abort();
	close(fd);
	return bytes;
}

// The baselines' records: 21 strings a line.
inline std::vector<std::string> SplitLines(const std::string& bytes)
{
	std::vector<std::string> fields;
	fields.reserve(size_t(kRecords) * kBookFieldCount);
	size_t start = 0;
	for (size_t i = 0; i < bytes.size(); i++) {
		if (bytes[i] == '\t' || bytes[i] == '\n') {
			fields.emplace_back(bytes, start, i - start);
			start = i + 1;
		}
	}
	return fields;
}

}  // namespace bench_book

#endif
