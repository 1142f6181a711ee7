// What the report's query receives from the screen: the period and the
// system choice, seen through a real preview and through the handler called
// with parameter collections made by hand.
#include "ScreenFixture.h"

namespace {

class ScreenParams : public ScreenTest {
protected:
    // Types the period, runs a preview and gives the parameters it was filled with.
    TParams Preview(TfrmLimpDados& s) {
        Type(s.depDtIni, "01032024");
        Type(s.depDtFim, "31032024");
        QTest::mouseClick(s.sbtPreview, Qt::LeftButton);
        EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
        if (paramsSeen.size() != 1) {
            ADD_FAILURE() << "the report asked for its parameters " << paramsSeen.size() << " times";
            return {};
        }
        return paramsSeen.back();
    }
    void LookUp(TfrmLimpDados& s, const QStringList& systems) {
        QTest::mouseClick(s.rbtListaSist, Qt::LeftButton);
        AnswerLookups(systems);
        QTest::mouseClick(s.sbtSist, Qt::LeftButton);
    }
    static void ExpectText(const TParams& params, const char* name, const QString& text) {
        const TParam* p = params.FindParam(name);
        ASSERT_NE(p, nullptr) << name;
        EXPECT_EQ(p->Value().type(), Variant::Type::String) << name;
        EXPECT_EQ(p->DataType(), ftString) << name;
        EXPECT_EQ(p->AsString(), text) << name;
    }
    static void ExpectDate(const TParams& params, const char* name, TDateTime date) {
        const TParam* p = params.FindParam(name);
        ASSERT_NE(p, nullptr) << name;
        EXPECT_EQ(p->Value().type(), Variant::Type::Date) << name;
        EXPECT_EQ(p->DataType(), ftDateTime) << name;
        EXPECT_EQ(p->Value().ToDate(), date) << name;
    }
};

TEST_F(ScreenParams, AllSystemsGivesTheTypedPeriodAnEmptyListAndT) {
    const TParams params = Preview(Open());
    ExpectDate(params, "P_DATAINI", EncodeDate(2024, 3, 1));
    ExpectDate(params, "P_DATAFIM", EncodeDate(2024, 3, 31));
    ExpectText(params, "P_SISTEMA", "");
    ExpectText(params, "P_TSISTEMA", "T");
    EXPECT_EQ(reportsDone.size(), 1);
}

TEST_F(ScreenParams, ListGivesTheLookupsTextUnchangedAndNoT) {
    TfrmLimpDados& s = Open();
    LookUp(s, {"Estoque", "Compras/Suprimentos"});
    const TParams params = Preview(s);
    ExpectText(params, "P_SISTEMA", R"(["Compras/Suprimentos","Estoque"])");
    EXPECT_EQ(params.FindParam("P_SISTEMA")->AsString(), s.stListaSist);
    ExpectText(params, "P_TSISTEMA", "");
    ExpectDate(params, "P_DATAINI", EncodeDate(2024, 3, 1));
}

TEST_F(ScreenParams, ListWithoutLookupGivesNeitherAllNorAnySystem) {
    TfrmLimpDados& s = Open();
    QTest::mouseClick(s.rbtListaSist, Qt::LeftButton);
    const TParams params = Preview(s);
    ExpectText(params, "P_SISTEMA", "");
    ExpectText(params, "P_TSISTEMA", "");
}

TEST_F(ScreenParams, AllAfterALookupIgnoresTheKeptList) {
    TfrmLimpDados& s = Open();
    LookUp(s, {"Estoque"});
    QTest::mouseClick(s.rbtTodosSist, Qt::LeftButton);
    ASSERT_FALSE(s.stListaSist.isEmpty());
    const TParams params = Preview(s);
    ExpectText(params, "P_SISTEMA", "");
    ExpectText(params, "P_TSISTEMA", "T");
}

// A parameter as the handler left it: "name type value-type value".
QStringList Describe(const TParams& params) {
    QStringList lines;
    for (int i = 0; i < params.Count(); ++i)
        lines << QStringLiteral("%1 %2 %3 %4")
                     .arg(params[i].Name())
                     .arg(int(params[i].DataType()))
                     .arg(int(params[i].Value().type()))
                     .arg(params[i].Value().ToString());
    return lines;
}

TEST_F(ScreenParams, HandlerLeavesOtherNamesAndTheFlagAlone) {
    TfrmLimpDados& s = Open();
    Type(s.depDtIni, "01032024");
    TParams params;
    params.CreateParam(ftInteger, "P_DATAINICIAL").SetValue(7);
    params.CreateParam(ftUnknown, "P_SISTEMAS");
    params.CreateParam(ftString, "SISTEMA").SetAsString("Estoque");
    const QStringList before = Describe(params);
    for (bool flag : {false, true}) {
        bool seen = flag;
        s.rpddPadraoBeforeGetQueryParams(params, seen);
        EXPECT_EQ(seen, flag);
        EXPECT_EQ(Describe(params), before);
    }
}

TEST_F(ScreenParams, HandlerSetsOnlyTheParametersTheReportHas) {
    TfrmLimpDados& s = Open();
    TParams params;
    params.CreateParam(ftUnknown, "P_SISTEMA").SetValue(42);
    bool flag = false;
    s.rpddPadraoBeforeGetQueryParams(params, flag);
    ASSERT_EQ(params.Count(), 1);
    ExpectText(params, "P_SISTEMA", "");

    LookUp(s, {"Estoque"});
    s.rpddPadraoBeforeGetQueryParams(params, flag);
    ASSERT_EQ(params.Count(), 1);
    ExpectText(params, "P_SISTEMA", R"(["Estoque"])");
}

TEST_F(ScreenParams, HandlerKeepsADateTypeTheReportAlreadyGave) {
    TfrmLimpDados& s = Open();
    Type(s.depDtIni, "29022024");
    Type(s.depDtFim, "01032024");
    TParams params;
    params.CreateParam(ftDate, "P_DATAINI");
    params.CreateParam(ftUnknown, "P_DATAFIM");
    params.CreateParam(ftString, "P_TSISTEMA");
    bool flag = true;
    s.rpddPadraoBeforeGetQueryParams(params, flag);
    EXPECT_EQ(params.ParamByName("P_DATAINI").DataType(), ftDate);
    EXPECT_EQ(params.ParamByName("P_DATAINI").Value(), VarFromDateTime(EncodeDate(2024, 2, 29)));
    ExpectDate(params, "P_DATAFIM", EncodeDate(2024, 3, 1));
    ExpectText(params, "P_TSISTEMA", "T");
    EXPECT_TRUE(flag);
}

}  // namespace
