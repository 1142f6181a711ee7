#include <gtest/gtest.h>

#include "Params.h"
#include "SysUtils.h"

namespace {

const TDateTime kMarch5th2024 = 45356;

TEST(ParamDataType, AsStringForcesStringWhateverTheTypeWas) {
    TParams params;
    TParam& param = params.CreateParam(ftDateTime, "P_SISTEMA");
    param.SetAsString("Estoque");
    EXPECT_EQ(param.DataType(), ftString);
    EXPECT_EQ(param.Value().type(), Variant::Type::String);
    EXPECT_EQ(param.AsString(), "Estoque");
}

TEST(ParamDataType, EmptyTextIsStillAStringValue) {
    TParam param("P_SISTEMA");
    param.SetAsString(QString());
    EXPECT_EQ(param.DataType(), ftString);
    EXPECT_EQ(param.AsString(), "");
}

TEST(ParamDataType, ValueKeepsATypeThatIsAlreadySet) {
    TParam text("P_DATAINI", ftString);
    text.SetValue(VarFromDateTime(kMarch5th2024));
    EXPECT_EQ(text.DataType(), ftString);
    EXPECT_EQ(text.Value().type(), Variant::Type::Date);
    EXPECT_EQ(text.AsString(), "05/03/2024");

    TParam date("P_TSISTEMA", ftDate);
    date.SetValue(QString("T"));
    EXPECT_EQ(date.DataType(), ftDate);
}

TEST(ParamDataType, FirstVariantDecidesAnUnknownType) {
    TParam param("P_TSISTEMA");
    param.SetValue(QString("T"));
    EXPECT_EQ(param.DataType(), ftString);
    // The type is no longer unknown: a date does not change it.
    param.SetValue(VarFromDateTime(kMarch5th2024));
    EXPECT_EQ(param.DataType(), ftString);
}

struct VariantTypeCase {
    Variant value;
    TFieldType expected;
};

class UnknownParamTakesTypeFrom : public ::testing::TestWithParam<VariantTypeCase> {};

TEST_P(UnknownParamTakesTypeFrom, TheVariant) {
    TParam param("P");
    param.SetValue(GetParam().value);
    EXPECT_EQ(param.DataType(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Variants, UnknownParamTakesTypeFrom,
                         ::testing::Values(VariantTypeCase{VarFromDateTime(kMarch5th2024),
                                                           ftDateTime},
                                           VariantTypeCase{Variant(QString()), ftString},
                                           VariantTypeCase{Variant("T"), ftString},
                                           VariantTypeCase{Variant(7), ftInteger},
                                           VariantTypeCase{Variant(2.5), ftFloat},
                                           VariantTypeCase{Variant(true), ftBoolean},
                                           VariantTypeCase{Variant::Null(), ftUnknown},
                                           VariantTypeCase{Variant(), ftUnknown}));

TEST(Params, ParamByNameIgnoresCaseAndThrowsWhenMissing) {
    TParams params;
    params.CreateParam(ftUnknown, "P_DATAINI");
    EXPECT_EQ(&params.ParamByName("p_dataini"), &params[0]);
    EXPECT_EQ(params.FindParam("P_DATAFIM"), nullptr);
    try {
        params.ParamByName("P_DATAFIM");
        FAIL() << "no exception";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Parâmetro 'P_DATAFIM' não encontrado.");
    }
}

TEST(Params, CopiesAreIndependent) {
    TParams original;
    original.CreateParam(ftUnknown, "P_SISTEMA").SetAsString("Estoque");
    TParams copy(original);
    copy.ParamByName("P_SISTEMA").SetAsString("Compras/Suprimentos");
    copy.CreateParam(ftString, "P_TSISTEMA");
    EXPECT_EQ(original.ParamByName("P_SISTEMA").AsString(), "Estoque");
    EXPECT_EQ(original.Count(), 1);

    TParams assigned;
    assigned.CreateParam(ftInteger, "OUTRO");
    assigned = copy;
    ASSERT_EQ(assigned.Count(), 2);
    EXPECT_EQ(assigned[0].AsString(), "Compras/Suprimentos");
    EXPECT_NE(&assigned[0], &copy[0]);
    EXPECT_EQ(assigned.FindParam("OUTRO"), nullptr);
}

TEST(VariantConversion, ReadsValuesAsReportsDo) {
    EXPECT_EQ(Variant().ToString(), "");
    EXPECT_EQ(Variant::Null().ToString(), "");
    EXPECT_EQ(Variant(2.5).ToString(), "2.5");
    EXPECT_EQ(Variant(-42).ToString(), "-42");
    EXPECT_EQ(Variant("05/03/2024").ToDate(), kMarch5th2024);
    EXPECT_EQ(Variant(" 2.5 ").ToDouble(), 2.5);
    EXPECT_THROW(Variant("2,5").ToDouble(), EConvertError);
    EXPECT_THROW(Variant("31/02/2024").ToDate(), EConvertError);
    EXPECT_THROW(Variant(true).ToDate(), EConvertError);
}

TEST(VariantConversion, EqualityComparesTypeAndValue) {
    EXPECT_EQ(Variant(2), Variant(2.0));
    EXPECT_FALSE(Variant("2") == Variant(2));
    EXPECT_FALSE(VarFromDateTime(2) == Variant(2.0));
    EXPECT_FALSE(Variant() == Variant::Null());
    EXPECT_EQ(Variant::Null(), Variant::Null());
}

}  // namespace
