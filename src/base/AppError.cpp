#include "base/AppError.h"

namespace orbiplot {

std::string OwnErrorMessage(int32_t number) {
    switch (number) {
    case ErrDataInvalid: return "数据错误或包含非法字符";
    case ErrResultNotValid: return "表达式结果不符合方程要求";
    case ErrResultDivByZero: return "表达式结果会导致除数为零错误";
    case ErrAddModifyCurve: return "添加或修改曲线发生错误";
    case ErrConstantValue: return "无效常数值";
    case ErrNoConstantSelected: return "没有常数被选择";
    case ErrSaveFile: return "保存文件失败";
    case ErrOpenFile: return "打开文件失败";
    case ErrFileVersion: return "文件版本错误";
    case ErrAlreadyRunning: return "Already run!";
    case ErrToolNotFound: return "应用程序未找到, 请确认是否安装.";
    case ErrUnknownCurveType: return "未知曲线类型";
    case ErrUnknown: return "未知错误";
    default: return {};
    }
}

void RaiseOwnError(int32_t number) {
    throw AppError(number, DefaultErrorSource, OwnErrorMessage(number));
}

std::string RuntimeErrorMessage(int32_t number) {
    switch (number) {
    case ErrInvalidCall: return "无效的过程调用或参数";
    case ErrOverflow: return "溢出";
    case ErrOutOfMemory: return "内存不足";
    case ErrSubscript: return "下标越界";
    case ErrDivisionByZero: return "除数为零";
    case ErrTypeMismatch: return "类型不匹配";
    case ErrOutOfStack: return "堆栈空间溢出";
    case ErrFileNotFound: return "文件未找到";
    case ErrPathFileAccess: return "路径/文件访问错误";
    case ErrNotSupported: return "对象不支持该属性或方法";
    default: return "应用程序定义的错误或对象定义的错误";
    }
}

void RaiseRuntimeError(int32_t number) {
    throw AppError(number, DefaultErrorSource, RuntimeErrorMessage(number));
}

} // namespace orbiplot
