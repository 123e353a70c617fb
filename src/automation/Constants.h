#pragma once
// The object model's numeric constants that the operations pass.
namespace lorvane {

constexpr int xlUp = -4162;
constexpr int xlDown = -4121;
constexpr int xlToLeft = -4159;
constexpr int xlToRight = -4161;

constexpr int xlShiftUp = -4162;
constexpr int xlShiftToLeft = -4159;
constexpr int xlShiftDown = -4121;
constexpr int xlShiftToRight = -4161;

constexpr int xlPasteAll = -4104;
constexpr int xlPasteFormats = -4122;
constexpr int xlPasteValues = -4163;
constexpr int xlPasteSpecialOperationNone = -4142;

constexpr int xlCenter = -4108;
constexpr int xlLeft = -4131;
constexpr int xlRight = -4152;
constexpr int xlTop = -4160;
constexpr int xlBottom = -4107;
constexpr int xlGeneral = 1;

constexpr int xlContinuous = 1;
constexpr int xlLineStyleNone = -4142;

constexpr int xlOpenXMLWorkbook = 51;
constexpr int xlWorkbookNormal = -4143;  // the legacy .xls format
constexpr int xlExclusive = 3;
constexpr int xlNoChange = 1;

}  // namespace lorvane
