// What the hive tests share: a sample key tree with names of every storage kind, class
// names, times and values of many types, and a walk of a cursor written out as lines, so a
// hive can be compared with the in-memory tree it was written from.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "search/hiveregistry.h"
#include "search/memregistry.h"
#include "support/hivewriter.h"

namespace corvane::test {

// Fills vReg below HKEY_LOCAL_MACHINE\SOFTWARE and returns that key.
TMemKey& SampleTree(TMemRegistry& vReg);

// The key open in vCursor and everything below it (kMaxKeyDepth levels at most), one line a
// key ("path [class] @time") and one a value ("  name type size hex"), subkeys and values in
// the cursor's order.
std::vector<std::string> WalkLines(TRegCursor& vCursor);
// WalkLines of the hive's root.
std::vector<std::string> WalkLines(const THiveRegistry& vHive);
// WalkLines of key vPath of HKEY_LOCAL_MACHINE in vReg.
std::vector<std::string> WalkLines(TMemRegistry& vReg, TTextView vPath);

// The hive of vImage, named SOFTWARE; fails the test when it does not open.
std::unique_ptr<THiveRegistry> OpenImage(const THiveImage& vImage);
// The error text of opening vBytes as a hive named SOFTWARE; empty when it opened.
std::string OpenError(std::vector<std::uint8_t> vBytes);

std::string Hex(const std::uint8_t* vData, std::size_t vSize);

}  // namespace corvane::test
