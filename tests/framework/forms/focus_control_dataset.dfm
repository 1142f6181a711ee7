inherited frmDerived: TfrmDerived
  inherited lblA: TLabel
    FocusControl = cdsNomes
  end
  object cdsNomes: TClientDataSet
  end
end
