#include "settings/os_error_text.h"

#include <cerrno>

namespace klv {
namespace {

struct ErrorWords {
  int Error;
  const char* Text;
};

// The errors a settings or replay file meets on a desktop.
constexpr ErrorWords kErrorWords[] = {
    {EACCES, "нет доступа"},
    {EPERM, "действие запрещено"},
    {ENOENT, "нет такого файла или папки"},
    {ENOTDIR, "часть пути — не папка"},
    {EISDIR, "это папка"},
    {EROFS, "диск открыт только для чтения"},
    {ENOSPC, "на диске нет места"},
    {EDQUOT, "исчерпана дисковая квота"},
    {EIO, "ошибка ввода-вывода"},
    {EEXIST, "файл уже есть"},
    {ENAMETOOLONG, "слишком длинное имя"},
    {ELOOP, "слишком много ссылок в пути"},
    {EMFILE, "открыто слишком много файлов"},
    {ENFILE, "открыто слишком много файлов"},
    {EBUSY, "файл занят"},
    {EINVAL, "недопустимое действие"},
    {EXDEV, "файл на другом диске"},
    {EFBIG, "файл слишком велик"},
    {ENOMEM, "не хватает памяти"},
};

}  // namespace

std::string OsErrorText(int error) {
  for (const ErrorWords& w : kErrorWords)
    if (w.Error == error) return w.Text;
  return "системная ошибка " + std::to_string(error);
}

}  // namespace klv
