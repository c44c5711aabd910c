#pragma once

// The texts both backends give as a Failure's step (UTF-8, context "Files").
#include "Translatable.h"

namespace dut::files {

inline const char* const kIsFolder = DUT_TR_NOOP("Files", "это папка, а не файл");
inline const char* const kIsPipe = DUT_TR_NOOP("Files", "это канал (FIFO), а не файл");
inline const char* const kIsDevice = DUT_TR_NOOP("Files", "это устройство, а не файл");
inline const char* const kNotRegular = DUT_TR_NOOP("Files", "это не обычный файл");
inline const char* const kTooLarge = DUT_TR_NOOP("Files", "файл больше 8 МБ");
inline const char* const kOpen = DUT_TR_NOOP("Files", "файл не открывается");
inline const char* const kRead = DUT_TR_NOOP("Files", "чтение не удалось");
inline const char* const kCreate = DUT_TR_NOOP("Files", "новый файл не создаётся");
inline const char* const kWrite = DUT_TR_NOOP("Files", "запись не удалась");
inline const char* const kSync = DUT_TR_NOOP("Files", "запись на диск не удалась");
inline const char* const kClose = DUT_TR_NOOP("Files", "закрытие файла не удалось");
inline const char* const kReplace = DUT_TR_NOOP("Files", "прежний файл не заменяется");
inline const char* const kSyncFolder = DUT_TR_NOOP("Files", "папка не записывается на диск");

}  // namespace dut::files
