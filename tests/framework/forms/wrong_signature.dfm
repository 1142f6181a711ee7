inherited frmDerived: TfrmDerived
  object edtX: TEdit
    OnChange = FormClose
  end
end
