inherited frmDerived: TfrmDerived
  object edtX: TEdit
    Left = 1
    Colour = clRed
  end
end
