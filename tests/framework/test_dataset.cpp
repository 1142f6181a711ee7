#include <gtest/gtest.h>

#include <QStringList>
#include <memory>

#include "ClientDataSet.h"
#include "SysUtils.h"

namespace {

// The systems table as a screen builds it: the form owns the dataset and its
// field components.
class SystemsTable : public ::testing::Test {
  protected:
    SystemsTable() {
        cds->setObjectName("cdsSist");
        marked->SetFieldName("IDMARCADO");
        marked->SetSize(1);
        marked->SetDataSet(cds);
        name->SetFieldName("SISTEMA");
        name->SetSize(60);
        name->SetDataSet(cds);
    }

    void AddRow(bool append, const QString& text) {
        if (append) {
            cds->Append();
        } else {
            cds->Insert();
        }
        name->SetAsString(text);
        cds->Post();
    }

    QStringList Names() {
        QStringList names;
        for (cds->First(); !cds->Eof(); cds->Next()) names << name->AsString();
        return names;
    }

    std::unique_ptr<QObject> form = std::make_unique<QObject>();
    TClientDataSet* cds = new TClientDataSet(form.get());
    TStringField* marked = new TStringField(form.get());
    TStringField* name = new TStringField(form.get());
};

TEST_F(SystemsTable, CreatesEmptyColumnsInFieldOrder) {
    cds->CreateDataSet();
    EXPECT_EQ(cds->State(), dsBrowse);
    EXPECT_TRUE(cds->IsEmpty());
    EXPECT_TRUE(cds->Bof());
    EXPECT_TRUE(cds->Eof());
    EXPECT_EQ(cds->RecNo(), 0);
    ASSERT_EQ(cds->FieldCount(), 2);
    EXPECT_EQ(cds->Fields(0), marked);
    EXPECT_EQ(&cds->FieldByName("sistema"), name);
    EXPECT_THROW(cds->FieldByName("NOME"), EDatabaseError);
}

TEST_F(SystemsTable, OneInsertThenAppendsKeepsTheOrderAndEndsOnTheLastRow) {
    cds->CreateDataSet();
    AddRow(false, "Compras/Suprimentos");
    AddRow(true, "Documentos Fiscais/Financeiro");
    AddRow(true, "Estoque");
    AddRow(true, "Planejamento Alim. Industrial");
    EXPECT_EQ(cds->RecNo(), 4);
    EXPECT_EQ(name->AsString(), "Planejamento Alim. Industrial");
    EXPECT_TRUE(marked->IsNull());
    EXPECT_EQ(Names(), QStringList({"Compras/Suprimentos", "Documentos Fiscais/Financeiro",
                                    "Estoque", "Planejamento Alim. Industrial"}));
}

TEST_F(SystemsTable, InsertGoesBeforeTheCurrentRow) {
    cds->CreateDataSet();
    AddRow(true, "A");
    AddRow(true, "B");
    AddRow(true, "C");
    cds->SetRecNo(2);
    AddRow(false, "X");
    EXPECT_EQ(cds->RecNo(), 2);
    EXPECT_EQ(name->AsString(), "X");
    cds->First();
    AddRow(false, "Y");
    EXPECT_EQ(Names(), QStringList({"Y", "A", "X", "B", "C"}));
}

TEST_F(SystemsTable, CancelDropsTheNewRowOrTheChanges) {
    cds->CreateDataSet();
    AddRow(true, "A");
    AddRow(true, "B");
    cds->First();
    cds->Insert();
    name->SetAsString("X");
    EXPECT_EQ(name->AsString(), "X");
    cds->Cancel();
    EXPECT_EQ(cds->State(), dsBrowse);
    EXPECT_EQ(cds->RecordCount(), 2);
    EXPECT_EQ(name->AsString(), "A");

    cds->Edit();
    name->SetAsString("Z");
    cds->Cancel();
    EXPECT_EQ(name->AsString(), "A");
    cds->Edit();
    name->SetAsString("Z");
    cds->Post();
    EXPECT_EQ(Names(), QStringList({"Z", "B"}));
}

TEST_F(SystemsTable, SettingOutsideInsertOrEditThrows) {
    cds->CreateDataSet();
    AddRow(true, "A");
    try {
        name->SetAsString("B");
        FAIL() << "no exception";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains("'SISTEMA'")) << e.Message().toStdString();
        EXPECT_TRUE(e.Message().contains("'cdsSist'")) << e.Message().toStdString();
    }
    EXPECT_EQ(name->AsString(), "A");
}

TEST_F(SystemsTable, TextLongerThanTheSizeIsCut) {
    cds->CreateDataSet();
    cds->Append();
    marked->SetAsString("XYZ");
    name->SetAsString(QString(70, u'é'));
    cds->Post();
    EXPECT_EQ(marked->AsString(), "X");
    EXPECT_EQ(name->AsString(), QString(60, u'é'));
}

TEST_F(SystemsTable, MovesLikeACursor) {
    cds->CreateDataSet();
    AddRow(true, "A");
    AddRow(true, "B");
    cds->Next();
    EXPECT_TRUE(cds->Eof());
    EXPECT_EQ(name->AsString(), "B");
    cds->Prior();
    EXPECT_FALSE(cds->Eof());
    EXPECT_FALSE(cds->Bof());
    EXPECT_EQ(name->AsString(), "A");
    cds->Prior();
    EXPECT_TRUE(cds->Bof());
    EXPECT_EQ(cds->RecNo(), 1);
    cds->Last();
    EXPECT_TRUE(cds->Eof());
    EXPECT_FALSE(cds->Bof());
    EXPECT_THROW(cds->SetRecNo(3), EDatabaseError);
    EXPECT_THROW(cds->SetRecNo(0), EDatabaseError);
}

TEST_F(SystemsTable, MovingAwayStoresAChangedRowAndDropsAnUntouchedOne) {
    cds->CreateDataSet();
    cds->Append();
    name->SetAsString("A");
    cds->Append();  // stores A
    cds->First();   // drops the untouched new row
    EXPECT_EQ(cds->State(), dsBrowse);
    EXPECT_EQ(Names(), QStringList({"A"}));
}

TEST_F(SystemsTable, DeleteMovesToTheNextRowOrTheNewLast) {
    cds->CreateDataSet();
    EXPECT_THROW(cds->Delete(), EDatabaseError);
    AddRow(true, "A");
    AddRow(true, "B");
    AddRow(true, "C");
    cds->SetRecNo(2);
    cds->Delete();
    EXPECT_EQ(name->AsString(), "C");
    cds->Delete();
    EXPECT_EQ(name->AsString(), "A");
    cds->Delete();
    EXPECT_TRUE(cds->IsEmpty());
    EXPECT_TRUE(cds->Eof());
}

TEST_F(SystemsTable, ClosedTableRefusesWork) {
    EXPECT_THROW(cds->Insert(), EDatabaseError);
    EXPECT_THROW(cds->First(), EDatabaseError);
    EXPECT_THROW(name->AsString(), EDatabaseError);
    cds->CreateDataSet();
    AddRow(true, "A");
    cds->Close();
    EXPECT_FALSE(cds->Active());
    EXPECT_THROW(cds->Append(), EDatabaseError);
    cds->CreateDataSet();
    EXPECT_TRUE(cds->IsEmpty());
}

TEST_F(SystemsTable, CreateNeedsNamedDistinctFields) {
    TClientDataSet bare;
    EXPECT_THROW(bare.CreateDataSet(), EDatabaseError);
    name->SetFieldName("idmarcado");
    EXPECT_THROW(cds->CreateDataSet(), EDatabaseError);
    EXPECT_FALSE(cds->Active());
}

TEST_F(SystemsTable, DestroyedFieldLeavesAnOpenTableWithTheOtherColumnsIntact) {
    cds->CreateDataSet();
    cds->Append();
    marked->SetAsString("S");
    name->SetAsString("Estoque");
    cds->Post();
    delete marked;
    ASSERT_EQ(cds->FieldCount(), 1);
    EXPECT_EQ(name->AsString(), "Estoque");
    EXPECT_EQ(cds->FindField("IDMARCADO"), nullptr);
}

TEST_F(SystemsTable, ReattachedFieldLeavesItsFirstTable) {
    TClientDataSet other;
    marked->SetDataSet(&other);
    EXPECT_EQ(marked->DataSet(), &other);
    EXPECT_EQ(cds->FieldCount(), 1);
    EXPECT_EQ(other.FieldCount(), 1);
    marked->SetDataSet(nullptr);
    EXPECT_EQ(other.FieldCount(), 0);
    cds->CreateDataSet();
    EXPECT_THROW(marked->SetDataSet(cds), EDatabaseError);
    EXPECT_THROW(name->SetDataSet(nullptr), EDatabaseError);
    EXPECT_EQ(name->DataSet(), cds);
}

TEST_F(SystemsTable, FieldsOutliveTheirDestroyedTable) {
    delete cds;
    EXPECT_EQ(name->DataSet(), nullptr);
    EXPECT_THROW(name->AsString(), EDatabaseError);
    form.reset();  // destroying the fields must not reach the freed table
}

}  // namespace
