#pragma once

// Data types of fields and parameters.
enum TFieldType {
    ftUnknown,
    ftString,
    ftInteger,
    ftBoolean,
    ftFloat,
    ftDate,
    ftTime,
    ftDateTime,
};
