#include <gtest/gtest.h>

#include "platform/kernel/last_error.h"
#include "platform/kernel/modules.h"
#include "tests/support/platform_seams/module_override.h"

namespace {

int AnswerOne() { return 1; }
int AnswerTwo() { return 2; }

// A built-in module of this test program only.
const bool kRegistered = [] {
  kernel::RegisterBuiltinModule("KernelTest.dll", {{"Answer", kernel::AsFarProc(&AnswerOne)}});
  return true;
}();

int CallAnswer(HMODULE module) {
  FARPROC proc = GetProcAddress(module, "Answer");
  return proc == nullptr ? -1 : kernel::FromFarProc<int()>(proc)();
}

TEST(Modules, NamesCompareCaseInsensitivelyAndLoadsAreCounted) {
  ASSERT_TRUE(kRegistered);
  HMODULE a = LoadLibraryA("kerneltest.dll");
  HMODULE b = LoadLibraryA("KERNELTEST.DLL");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_EQ(vqtest::ModuleLoadCount("KernelTest.DLL"), 2);
  EXPECT_EQ(CallAnswer(a), 1);

  EXPECT_TRUE(FreeLibrary(a));
  EXPECT_EQ(vqtest::ModuleLoadCount("kerneltest.dll"), 1);
  EXPECT_TRUE(FreeLibrary(b));
  EXPECT_EQ(vqtest::ModuleLoadCount("kerneltest.dll"), 0);

  SetLastError(0);
  EXPECT_FALSE(FreeLibrary(a));  // one free too many
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(Modules, ExportNamesAreCaseSensitiveAndMissingOnesAreNull) {
  HMODULE hModule = LoadLibraryA("kerneltest.dll");
  ASSERT_NE(hModule, nullptr);
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(hModule, "answer"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  EXPECT_EQ(GetProcAddress(nullptr, "Answer"), nullptr);
  EXPECT_EQ(GetProcAddress(hModule, nullptr), nullptr);
  FreeLibrary(hModule);
}

TEST(Modules, UnknownOrNullNamesDoNotLoad) {
  SetLastError(0);
  EXPECT_EQ(LoadLibraryA("nosuchmodule.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
  EXPECT_FALSE(FreeLibrary(nullptr));
  EXPECT_EQ(vqtest::ModuleLoadCount("nosuchmodule.dll"), 0);
}

TEST(Modules, OverridesNestAndRestore) {
  {
    vqtest::ScopedModuleOverride outer("KERNELTEST.dll", {{"Answer", kernel::AsFarProc(&AnswerTwo)}});
    HMODULE hModule = LoadLibraryA("kerneltest.dll");
    EXPECT_EQ(CallAnswer(hModule), 2);
    {
      auto absent = vqtest::ScopedModuleOverride::Absent("kerneltest.dll");
      EXPECT_EQ(LoadLibraryA("kerneltest.dll"), nullptr);
      // A handle taken before the inner override still works while it lasts.
      EXPECT_EQ(CallAnswer(hModule), 2);
    }
    HMODULE again = LoadLibraryA("kerneltest.dll");
    EXPECT_EQ(again, hModule);
    EXPECT_EQ(vqtest::ModuleLoadCount("kerneltest.dll"), 2);
    FreeLibrary(again);
    FreeLibrary(hModule);
  }
  HMODULE builtin = LoadLibraryA("kerneltest.dll");
  EXPECT_EQ(CallAnswer(builtin), 1);
  FreeLibrary(builtin);
  EXPECT_EQ(vqtest::ModuleLoadCount("kerneltest.dll"), 0);
}

TEST(Modules, OverrideCanStandInForAModuleThatDoesNotExist) {
  {
    vqtest::ScopedModuleOverride standIn("standin.dll", {{"Answer", kernel::AsFarProc(&AnswerTwo)}});
    HMODULE hModule = LoadLibraryA("STANDIN.DLL");
    EXPECT_EQ(CallAnswer(hModule), 2);
    FreeLibrary(hModule);
  }
  EXPECT_EQ(LoadLibraryA("standin.dll"), nullptr);
}

TEST(Modules, ExportListHelpers) {
  auto exports = vqtest::BuiltinExports("kerneltest.dll");
  ASSERT_EQ(exports.size(), 1u);
  EXPECT_TRUE(vqtest::WithoutExport(exports, "Answer").empty());
  EXPECT_EQ(vqtest::WithoutExport(exports, "Other").size(), 1u);

  auto replaced = vqtest::WithExport(exports, "Answer", kernel::AsFarProc(&AnswerTwo));
  vqtest::ScopedModuleOverride standIn("kerneltest.dll", replaced);
  HMODULE hModule = LoadLibraryA("kerneltest.dll");
  EXPECT_EQ(CallAnswer(hModule), 2);
  FreeLibrary(hModule);
  EXPECT_TRUE(vqtest::BuiltinExports("nosuchmodule.dll").empty());
}

}  // namespace
